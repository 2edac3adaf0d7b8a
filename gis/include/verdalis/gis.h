#pragma once
// verdalis-prep and verdalis-map in-process: what the two programs do,
// called with their command line as a list of words (without the program's
// name), for bindings that hand a layer over as a file (the R and Python
// packages write theirs to a temporary GeoPackage).
//
//   verdalis::gis::preparedLandscape p =
//       verdalis::gis::prep({"patches.gpkg", "--id", "patch_id", "--max-distance", "5000"});
//   verdalis::landscapeArrays land;   // verdalis/verdalis.h
//   land.id = p.id; land.attribute = p.attribute;
//   land.from = p.from; land.to = p.to; land.value = p.distance;
//   land.reading.everyPair = p.everyPair;
//
// The arrays hold exactly the values the two files would hold: each number
// as verdalis-prep writes it (4 decimals for the attributes, --decimals for
// the distances) and read back as verdalis reads its files. Nothing is
// printed: the programs' standard output is in report, their warnings in
// warnings. Errors are thrown as gisFailure. Like analyse(), one call runs
// at a time in a process, and a runControl follows and cancels it from
// another thread (runCancelled). Built with the GIS companions (GDAL, GEOS
// and cairo); the programs' mains are thin tools over these functions.
#include <stdexcept>
#include <string>
#include <vector>

#include "verdalis/verdalis.h"

namespace verdalis::gis {

// A command line that cannot be carried out (exit status 1 of the
// programs), or input that cannot be read or used and output that cannot be
// written (exit status 2).
enum class failureKind { commandLine, inputOutput };

class gisFailure : public std::runtime_error {
 public:
  gisFailure(failureKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
  failureKind kind() const { return kind_; }

 private:
  failureKind kind_;
};

struct preparedLandscape {
  // The node file: a row per patch, in ascending identifier order.
  std::vector<int> id;
  std::vector<float> attribute;
  // The connection file: both directions of every pair measured, rows in
  // node order, distances in metres.
  std::vector<int> from, to;
  std::vector<float> distance;
  bool everyPair = false;  // no --max-distance: every pair, for -t dist all
  double landArea = 0;     // -landArea of the suggested verdalis command (0: the attribute is not an area)
  std::string report;      // what verdalis-prep prints
  std::vector<std::string> warnings;  // its warnings, a line each, without the program's name
};

// verdalis-prep's options (verdalis-prep --help); --nodes and --connections
// are optional here, and the files are written only when named. --help,
// --fields and --suggest-for without an input are the programs' own.
preparedLandscape prep(const std::vector<std::string>& arguments, runControl* control = nullptr);

struct mapReport {
  std::string report;                 // what verdalis-map prints
  std::vector<std::string> warnings;
};

// verdalis-map's options (verdalis-map --help): the files it writes.
mapReport map(const std::vector<std::string>& arguments, runControl* control = nullptr);

}  // namespace verdalis::gis
