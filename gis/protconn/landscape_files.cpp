// Writing the landscape of one run as Verdalis's two input files.
#include "protconn/landscape_files.h"

#include <cctype>
#include <cstdio>

#include "common/failure.h"
#include "common/staged_file.h"
#include "protconn/protconn_tables.h"

namespace verdalis::gis {

namespace {
std::string singleText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(static_cast<float>(value)));
  return buffer;
}

void writeText(const std::string& path, const std::string& text) {
  stagedFile file(path);
  writeStagedText(file, text);
  file.commit();
}
}  // namespace

std::pair<std::string, std::string> landscapeFileNames(const std::string& folder, const std::string& region,
                                                       double distance) {
  std::string name;
  for (char c : region) name += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' ? c : '_';
  const std::string stem = folder + "/" + name + "_" + exactText(distance);
  return {stem + "_nodes.txt", stem + "_connections.txt"};
}

void writeLandscapeFiles(const std::string& folder, const std::string& region, const dispersalDistance& kernel,
                         const regionNodes& nodes, const nodePairs& pairs) {
  const auto [nodeFile, connectionFile] = landscapeFileNames(folder, region, kernel.distance);
  std::string text;
  for (std::size_t k = 0; k < nodes.outlines.size(); ++k)
    text += std::to_string(k + 1) + "\t" + singleText(k < nodes.inside ? nodes.area[k] : 0.0) + "\n";
  writeText(nodeFile, text);
  text.clear();
  for (std::size_t p = 0; p < pairs.size(); ++p)
    if (pairs.distance[p] <= kernel.reach)
      text += std::to_string(pairs.from[p] + 1) + "\t" + std::to_string(pairs.to[p] + 1) + "\t" +
              singleText(pairs.distance[p]) + "\n";
  writeText(connectionFile, text);
}

}  // namespace verdalis::gis
