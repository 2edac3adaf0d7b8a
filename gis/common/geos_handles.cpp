// GEOS context set-up and small geometry queries.
#include "common/geos_handles.h"

#include <algorithm>

namespace verdalis::gis {

namespace {
void keepMessage(const char* message, void* userdata) {
  *static_cast<std::string*>(userdata) = message;
}
}  // namespace

geosContext::geosContext() : handle_(GEOS_init_r()) {
  GEOSContext_setErrorMessageHandler_r(handle_, keepMessage, &error_);
  GEOSContext_setNoticeMessageHandler_r(handle_, [](const char*, void*) {}, nullptr);
}

geosContext::~geosContext() { GEOS_finish_r(handle_); }

std::string geosContext::takeError() const {
  std::string error;
  error.swap(error_);
  return error;
}

envelope envelopeOf(const geosContext& context, const GEOSGeometry* g) {
  envelope box;
  GEOSGeom_getXMin_r(context.get(), g, &box.minX);
  GEOSGeom_getYMin_r(context.get(), g, &box.minY);
  GEOSGeom_getXMax_r(context.get(), g, &box.maxX);
  GEOSGeom_getYMax_r(context.get(), g, &box.maxY);
  return box;
}

envelope enclosing(const envelope& a, const envelope& b) {
  return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
}

}  // namespace verdalis::gis
