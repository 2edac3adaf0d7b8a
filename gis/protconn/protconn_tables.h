#pragma once
// The tables of verdalis-protconn: a row per region and distance with
// ProtConn and its fractions, and a row per protected unit with dProtConn and
// its fractions. Numbers are written with the fewest digits that read back
// to the same double (shortest round trip), "NA" where a value has no
// denominator. Linear in the rows.
#include <optional>
#include <string>
#include <vector>

#include "common/staged_file.h"
#include "protconn/protconn_run.h"

namespace verdalis::gis {

// The shortest text that reads back to value; "NA" without one.
std::string exactText(double value);
std::string exactText(const std::optional<double>& value);

// The columns of the region table, in order.
const std::vector<std::string>& regionColumns();

void writeRegionTable(const stagedFile& target, const std::vector<regionResult>& results,
                      const std::vector<dispersalDistance>& kernels);

// idName: the column of the unit's identifier (the --id field, or pa_id).
void writeUnitTable(const stagedFile& target, const std::vector<regionResult>& results,
                    const std::vector<dispersalDistance>& kernels, const std::string& idName);

// dProtConn and its three parts for unit k of a region at one distance.
struct unitImportance {
  double dProtConn, intra, flux, connector;
};
unitImportance importanceOf(const distanceResult& result, std::size_t unit);

// The cells of one region table row, the region first.
std::vector<std::string> regionRow(const regionResult& result, const dispersalDistance& kernel,
                                   const distanceResult& values);

}  // namespace verdalis::gis
