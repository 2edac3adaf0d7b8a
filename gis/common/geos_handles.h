#pragma once
// Owning handles of GEOS objects (C API, thread-safe "_r" functions). A
// context belongs to one thread at a time; geometries may be read from any
// context once built.
#include <geos_c.h>

#include <memory>
#include <string>

namespace verdalis::gis {

// A GEOS context whose notices and errors are kept as text rather than
// printed, so that a failure can be reported with the feature it concerns.
class geosContext {
 public:
  geosContext();
  ~geosContext();
  geosContext(const geosContext&) = delete;
  geosContext& operator=(const geosContext&) = delete;

  GEOSContextHandle_t get() const { return handle_; }
  // The last error GEOS reported in this context, then forgotten.
  std::string takeError() const;

 private:
  GEOSContextHandle_t handle_;
  mutable std::string error_;
};

struct geometryDeleter {
  GEOSContextHandle_t context;
  void operator()(GEOSGeometry* g) const { GEOSGeom_destroy_r(context, g); }
};
using geometryPtr = std::unique_ptr<GEOSGeometry, geometryDeleter>;

struct preparedDeleter {
  GEOSContextHandle_t context;
  void operator()(const GEOSPreparedGeometry* g) const { GEOSPreparedGeom_destroy_r(context, g); }
};
using preparedPtr = std::unique_ptr<const GEOSPreparedGeometry, preparedDeleter>;

struct treeDeleter {
  GEOSContextHandle_t context;
  void operator()(GEOSSTRtree* t) const { GEOSSTRtree_destroy_r(context, t); }
};
using treePtr = std::unique_ptr<GEOSSTRtree, treeDeleter>;

// Wraps a geometry that GEOS returned; null stays null.
inline geometryPtr own(const geosContext& context, GEOSGeometry* g) {
  return geometryPtr(g, geometryDeleter{context.get()});
}

// The bounding box of a geometry.
struct envelope {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};
envelope envelopeOf(const geosContext& context, const GEOSGeometry* g);
// The box of both boxes.
envelope enclosing(const envelope& a, const envelope& b);

}  // namespace verdalis::gis
