// verdalis-protconn: ProtConn and its fractions for every region of a
// layer, and dProtConn for every protected unit, computed by Verdalis
// in-process.
#include <iostream>
#include <memory>

#include "common/failure.h"
#include "common/gdal_handles.h"
#include "common/patch_loading.h"
#include "common/staged_file.h"
#include "cost/resistance_grid.h"
#include "map/map_canvas.h"
#include "protconn/landscape_files.h"
#include "protconn/protconn_layers.h"
#include "protconn/protconn_log.h"
#include "protconn/protconn_options.h"
#include "protconn/protconn_tables.h"
#include "support/process_group.h"
#ifdef VERDALIS_PROTCONN_MPI
#include "mpi_group.h"
#endif

namespace verdalis::gis {

namespace {
// Repaired geometries are counted, the first few named: a layer of
// protected areas can hold thousands.
class repairTally {
 public:
  repairTally() {
    setWarningSink([this](const std::string& message) {
      if (!processes().lead()) return;
      const bool repaired = message.find("had an invalid geometry") != std::string::npos;
      if (repaired && ++repaired_ > kNamed) return;
      std::cerr << programName() << ": warning: " << message << "\n";
    });
  }
  ~repairTally() { setWarningSink(nullptr); }
  repairTally(const repairTally&) = delete;
  repairTally& operator=(const repairTally&) = delete;
  // Says how many were repaired in all, once past those named, and starts again.
  void tell(const std::string& what) {
    if (repaired_ > kNamed && processes().lead())
      std::cerr << programName() << ": warning: " << repaired_ << " " << what << " had invalid geometries and were "
                << "repaired (the first " << kNamed << " named above)\n";
    repaired_ = 0;
  }

 private:
  static constexpr std::size_t kNamed = 3;
  std::size_t repaired_ = 0;
};

patchSet readProtectedAreas(const protconnOptions& o, const geosContext& context) {
  try {
    return loadPatches(o.areas, context);
  } catch (const gisFailure& failure) {
    const std::string message = failure.what();
    if (message.rfind("no patch in ", 0) != 0) throw;
    inputError("no protected area in " + o.areas.input + (o.areas.where.empty() ? "" : " matches --where"));
  }
}

void checkOutputs(const protconnOptions& o) {
  checkWritable({o.table, o.importances, o.geopackage, o.png, o.svg, o.log});
  if (!o.png.empty() && imageFormatOf(o.png) != imageFormat::png)
    commandLineError("--png " + o.png + ": the map is written as PNG; name it .png");
  if (!o.svg.empty() && imageFormatOf(o.svg) != imageFormat::svg)
    commandLineError("--svg " + o.svg + ": the map is written as SVG; name it .svg");
  if (!o.landscapes.empty()) checkWritable({o.landscapes + "/x"});
}

std::vector<dispersalDistance> kernelsOf(const protconnOptions& o) {
  std::vector<dispersalDistance> kernels;
  for (double d : o.distances) kernels.push_back({d, o.probability, kernelReach(d, o.probability, o.floor)});
  return kernels;
}

// The resistance surface, in the system of the protected areas.
std::unique_ptr<resistanceGrid> resistanceOf(const protconnOptions& o, const patchSet& areas) {
  if (o.resistance.empty()) return nullptr;
  resistanceSource source;
  source.path = o.resistance;
  source.band = o.band;
  if (!o.costTable.empty()) source.costs = readCostTable(o.costTable), source.costTable = o.costTable;
  auto grid = std::make_unique<resistanceGrid>(readResistance(source));
  if (grid->crsWkt.empty()) {
    warn(o.resistance + " has no coordinate reference system; it is read in that of the protected areas (" +
         areas.crsName + ")");
    return grid;
  }
  OGRSpatialReference raster, layer;
  if (!areas.crsWkt.empty() && raster.importFromWkt(grid->crsWkt.c_str()) == OGRERR_NONE &&
      layer.importFromWkt(areas.crsWkt.c_str()) == OGRERR_NONE && !raster.IsSame(&layer))
    inputError(o.resistance + " is in " + grid->crsName + " and the protected areas in " + areas.crsName +
               ": give both in one system (--to for the layers, or gdalwarp -t_srs for the raster)");
  return grid;
}

runRequest requestOf(const protconnOptions& o, const patchSet& areas, const std::vector<dispersalDistance>& kernels,
                     const resistanceGrid* grid) {
  runRequest q;
  q.surface = {grid, o.neighbours};
  q.nodes.transboundary = o.transboundary;
  q.nodes.areaScale = areas.metresPerUnit * areas.metresPerUnit / squareMetresPerUnit(o.areas.unit);
  q.nodes.metresPerUnit = areas.metresPerUnit;
  q.pairs.kind = o.kind;
  q.pairs.metresPerUnit = areas.metresPerUnit;
  for (const dispersalDistance& k : kernels) q.pairs.reach = std::max(q.pairs.reach, k.reach);
  q.kernels = kernels;
  q.removals = o.removals();
  q.keepUnits = !o.geopackage.empty() || !o.png.empty() || !o.svg.empty();
  q.threads = o.threads;
  if (!o.landscapes.empty() && processes().lead())
    q.landscape = [folder = o.landscapes, kernels](const std::string& region, std::size_t k, const regionNodes& nodes,
                                                   const nodePairs& pairs) {
      writeLandscapeFiles(folder, region, kernels[k], nodes, pairs);
    };
  return q;
}

int protconnMain(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    printBareUsage(protconnUsage);
    return 0;
  }
  const protconnOptions o = parseProtconnOptions(args);
  if (o.help) {
    std::cout << protconnUsage << "\n" << exitStatusText;
    return 0;
  }
  // With MPI every process computes every region, each analysis shared
  // among them; the first process alone writes and speaks.
  const bool lead = processes().lead();
  if (lead) checkOutputs(o);
  geosContext context;
  repairTally repairs;
  const patchSet areas = readProtectedAreas(o, context);
  repairs.tell("protected areas");
  const regionSet regions = readRegions(o.regions, areas, o.areas.targetCrs, context);
  repairs.tell("regions");
  const std::vector<dispersalDistance> kernels = kernelsOf(o);
  const runInputs inputs{o, areas, regions, kernels};
  const protectedAreaIndex index(areas, context);
  workerContexts contexts;
  const std::unique_ptr<resistanceGrid> grid = resistanceOf(o, areas);
  const std::vector<regionResult> results =
      runRegions(index, regions, requestOf(o, areas, kernels, grid.get()), contexts);
  if (!lead) return 0;
  std::vector<std::unique_ptr<stagedFile>> files;
  auto staged = [&](const std::string& path) -> const stagedFile* {
    if (path.empty()) return nullptr;
    files.push_back(std::make_unique<stagedFile>(path));
    return files.back().get();
  };
  writeRegionTable(*staged(o.table), results, kernels);
  if (const stagedFile* table = staged(o.importances))
    writeUnitTable(*table, results, kernels, o.areas.idField.empty() ? "pa_id" : o.areas.idField);
  writeLayersAndMap(inputs, results, context, staged(o.geopackage), staged(o.png), staged(o.svg));
  const std::string written = writtenText(o, results, kernels);
  writeStagedText(*staged(o.log), settingsText(inputs) + regionLines(results, kernels) + written);
  for (const std::unique_ptr<stagedFile>& file : files) file->commit();
  std::cout << "Read " << areas.patches.size() << " protected areas from " << o.areas.input << " (" << areas.crsName
            << ") and " << regions.regions.size() << " region" << (regions.regions.size() == 1 ? "" : "s") << " from "
            << o.regions.input << "\n"
            << written << "Wrote " << o.log << ": the run log\n";
  return 0;
}
}  // namespace

}  // namespace verdalis::gis

#ifdef VERDALIS_PROTCONN_MPI
int main(int argc, char** argv) {
  verdalis::joinMpiGroup(&argc, &argv);
  return verdalis::leaveMpiGroup(
      verdalis::gis::runProgram("verdalis-protconn-mpi", verdalis::gis::protconnMain, argc, argv));
}
#else
int main(int argc, char** argv) {
  return verdalis::gis::runProgram("verdalis-protconn", verdalis::gis::protconnMain, argc, argv);
}
#endif
