#include "cli/option_names.h"

#include <algorithm>
#include <cctype>

namespace verdalis {

const std::vector<std::string>& knownOptionNames() {
  static const std::vector<std::string> names = {
      "-nodeFile", "-conFile",  "-conFileType", "-t",      "-symmetric",   "-add",         "-*",
      "-NC",       "-NL",       "-H",           "-CCP",    "-LCP",         "-IIC",         "-BC",
      "-BCIIC",    "-F",        "-AWF",         "-PC",     "-BCPC",        "-A",           "-confAdj",
      "-confProb", "-landArea", "-pcHeur",      "-confMultipleValues",     "onlyoverall",  "-removal",
      "-improvement", "-change", "maxValue",    "-prefix", "-wcomp",       "-wlinks",      "-wprobdir",
      "-wprobmax", "-noout",    "-progress",    "-appendInvalid",          "-double",      "-simple",
      "-threads",  "-reference", "-dense",      "-plan",   "--help",       "--version",
  };
  return names;
}

bool isKnownOptionName(const std::string& word) {
  const std::vector<std::string>& names = knownOptionNames();
  return std::find(names.begin(), names.end(), word) != names.end();
}

int editDistance(const std::string& a, const std::string& b) {
  const std::size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
  for (std::size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i);
  for (std::size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= n; ++i)
    for (std::size_t j = 1; j <= m; ++j) {
      const int change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[n][m];
}

namespace {

// Dashes and letter case are the commonest slips; they count as no edit.
std::string plainForm(const std::string& word) {
  std::string plain = word.substr(std::min(word.find_first_not_of('-'), word.size()));
  for (char& c : plain) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return plain;
}

}  // namespace

std::string closestOptionName(const std::string& word) {
  const std::string plain = plainForm(word);
  if (plain.empty()) return "";
  const int allowed = plain.size() <= 4 ? 1 : 2;
  std::string best;
  int bestDistance = allowed + 1;
  bool tie = false;
  for (const std::string& name : knownOptionNames()) {
    const int distance = editDistance(plain, plainForm(name));
    if (distance < bestDistance) {
      best = name;
      bestDistance = distance;
      tie = false;
    } else if (distance == bestDistance) {
      tie = true;
    }
  }
  return bestDistance <= allowed && !tie ? best : "";
}

}  // namespace verdalis
