// Writing the region and unit tables.
#include "protconn/protconn_tables.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

#include "common/failure.h"

namespace verdalis::gis {

std::string exactText(double value) {
  char buffer[64];
  const std::to_chars_result done = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, done.ptr);
}

std::string exactText(const std::optional<double>& value) { return value ? exactText(*value) : std::string("NA"); }

const std::vector<std::string>& regionColumns() {
  static const std::vector<std::string> columns = [] {
    std::vector<std::string> c = {"region", "distance", "probability", "area", "protected", "nodes",
                                  "transboundary_nodes", "ECA", "Prot", "ProtConn", "ProtUnconn", "RelConn"};
    const char* const fractions[] = {"ProtConn_Prot", "ProtConn_Within", "ProtConn_Contig", "ProtConn_Trans",
                                     "ProtConn_Unprot"};
    for (const char* f : fractions) c.push_back(f);
    for (const char* f : fractions) c.push_back(std::string(f) + "_land");
    return c;
  }();
  return columns;
}

std::vector<std::string> regionRow(const regionResult& result, const dispersalDistance& kernel,
                                   const distanceResult& d) {
  const protconnValues& v = d.values;
  std::vector<std::string> row = {result.id,
                                  exactText(kernel.distance),
                                  exactText(kernel.probability),
                                  exactText(d.measures.regionArea),
                                  exactText(d.measures.protectedArea),
                                  std::to_string(result.inside),
                                  std::to_string(result.transboundary),
                                  exactText(d.measures.eca),
                                  exactText(v.prot),
                                  exactText(v.protConn),
                                  exactText(v.protUnconn),
                                  exactText(v.relConn)};
  for (const std::optional<double>& f : v.fraction) row.push_back(exactText(f));
  for (double f : v.land) row.push_back(exactText(f));
  return row;
}

namespace {
void writeLine(std::ofstream& out, const std::vector<std::string>& cells) {
  for (std::size_t k = 0; k < cells.size(); ++k) out << (k ? "\t" : "") << cells[k];
  out << "\n";
}

std::ofstream openTable(const stagedFile& target) {
  std::ofstream out(target.temporaryPath(), std::ios::binary);
  if (!out) inputError("cannot write " + target.path() + ": " + std::strerror(errno));
  return out;
}

void closeTable(std::ofstream& out, const stagedFile& target) {
  out.close();
  if (!out) inputError("cannot write " + target.path() + " (disk full?)");
}
}  // namespace

void writeRegionTable(const stagedFile& target, const std::vector<regionResult>& results,
                      const std::vector<dispersalDistance>& kernels) {
  std::ofstream out = openTable(target);
  writeLine(out, regionColumns());
  for (const regionResult& r : results)
    for (std::size_t k = 0; k < kernels.size(); ++k) writeLine(out, regionRow(r, kernels[k], r.distances[k]));
  closeTable(out, target);
}

unitImportance importanceOf(const distanceResult& d, std::size_t unit) {
  const double dPC = d.dPC[unit];
  const double whole = dProtConnOf(dPC);
  return {whole, dProtConnPart(whole, d.dPCintra[unit], dPC), dProtConnPart(whole, d.dPCflux[unit], dPC),
          dProtConnPart(whole, d.dPCconnector[unit], dPC)};
}

void writeUnitTable(const stagedFile& target, const std::vector<regionResult>& results,
                    const std::vector<dispersalDistance>& kernels, const std::string& idName) {
  std::ofstream out = openTable(target);
  writeLine(out, {"region", idName, "dProtConn", "dProtConn_intra", "dProtConn_flux", "dProtConn_connector",
                  "distance", "part", "area"});
  for (const regionResult& r : results)
    for (std::size_t k = 0; k < kernels.size(); ++k)
      for (std::size_t u = 0; u < r.inside; ++u) {
        const unitImportance i = importanceOf(r.distances[k], u);
        writeLine(out, {r.id, std::to_string(r.unitId[u]), exactText(i.dProtConn), exactText(i.intra),
                        exactText(i.flux), exactText(i.connector), exactText(kernels[k].distance),
                        std::to_string(r.unitPart[u]), exactText(r.unitArea[u])});
      }
  closeTable(out, target);
}

}  // namespace verdalis::gis
