// Choosing and checking the measuring coordinate system; reprojection.
#include "common/crs.h"

#include "common/failure.h"

namespace verdalis::gis {

std::string describeSystem(const OGRSpatialReference& system) {
  std::string text = system.GetName() ? system.GetName() : "unnamed coordinate system";
  const char* authority = system.GetAuthorityName(nullptr);
  const char* code = system.GetAuthorityCode(nullptr);
  if (authority && code) text += std::string(" (") + authority + ":" + code + ")";
  return text;
}

namespace {
std::string wktOf(const OGRSpatialReference& system) {
  char* text = nullptr;
  system.exportToWkt(&text);
  std::string wkt = text ? text : "";
  CPLFree(text);
  return wkt;
}

measuringSystem keepSource(const OGRSpatialReference* source, const std::string& what) {
  measuringSystem kept;
  if (!source) {
    warn(what + " has no coordinate reference system; its coordinates are taken as metres");
    kept.name = "unknown coordinate system (taken as metres)";
    return kept;
  }
  if (source->IsGeographic())
    inputError(what + " is in geographic coordinates (" + describeSystem(*source) +
               "), in degrees, but distances and areas need a projected coordinate system in "
               "metres: reproject with --to EPSG:CODE (a projected system of the area, for "
               "example its UTM zone)");
  kept.wkt = wktOf(*source);
  kept.name = describeSystem(*source);
  kept.metresPerUnit = source->GetLinearUnits(nullptr);
  return kept;
}
}  // namespace

measuringSystem chooseSystem(const OGRSpatialReference* source, const std::string& target,
                             const std::string& what) {
  if (target.empty()) return keepSource(source, what);
  OGRSpatialReference wanted;
  if (wanted.SetFromUserInput(target.c_str()) != OGRERR_NONE)
    commandLineError("--to: unknown coordinate system \"" + target + "\"");
  if (!wanted.IsProjected())
    commandLineError("--to " + target + " (" + describeSystem(wanted) +
                     ") is not a projected coordinate system; distances need metres");
  if (!source)
    inputError(what + " has no coordinate reference system, so it cannot be reprojected with --to");
  wanted.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference from(*source);
  from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  measuringSystem chosen;
  chosen.reprojection.reset(OGRCreateCoordinateTransformation(&from, &wanted));
  if (!chosen.reprojection)
    inputError("cannot reproject " + what + " from " + describeSystem(from) + " to " +
               describeSystem(wanted));
  chosen.wkt = wktOf(wanted);
  chosen.name = describeSystem(wanted);
  chosen.metresPerUnit = wanted.GetLinearUnits(nullptr);
  return chosen;
}

namespace {
int reprojectVertex(double* x, double* y, void* userdata) {
  auto* reprojection = static_cast<OGRCoordinateTransformation*>(userdata);
  return reprojection->Transform(1, x, y) ? 1 : 0;
}
}  // namespace

geometryPtr reproject(const geosContext& context, const GEOSGeometry* g,
                      OGRCoordinateTransformation& reprojection) {
  return own(context, GEOSGeom_transformXY_r(context.get(), g, reprojectVertex, &reprojection));
}

}  // namespace verdalis::gis
