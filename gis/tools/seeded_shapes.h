#pragma once
// What the layer generators share: splitmix64, so that a seed gives the same
// layer everywhere, and the irregular 16-sided polygon of a given area around
// a centre (radii from 0.75 to 1.25 of the circle's).
#include <ogr_geometry.h>

#include <cmath>
#include <cstdint>

namespace gentools {

struct random64 {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double gauss() {
    double u = 0.0;
    while (u <= 0.0) u = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * uniform());
  }
};

inline OGRPolygon* irregularPolygon(random64& rng, double x, double y, double hectares) {
  const double radius = std::sqrt(hectares * 10000.0 / 3.141592653589793);
  auto* ring = new OGRLinearRing();
  const double turn = 6.283185307179586 * rng.uniform();
  for (int k = 0; k < 16; ++k) {
    const double angle = turn + 6.283185307179586 * k / 16.0;
    const double r = radius * (0.75 + 0.5 * rng.uniform());
    ring->addPoint(x + r * std::cos(angle), y + r * std::sin(angle));
  }
  ring->closeRings();
  auto* polygon = new OGRPolygon();
  polygon->addRingDirectly(ring);
  return polygon;
}

}  // namespace gentools
