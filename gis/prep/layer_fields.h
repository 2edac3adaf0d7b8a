#pragma once
// --fields: what a file holds, told before any option is chosen. For each
// layer its features, geometry type and coordinate system, then every field
// with its type and a sample value (the first feature that has one); for a
// raster its size, pixel size, coordinate system and the class values of its
// first band with their pixel counts. Reads the first features of each layer
// (all of them for the count where a driver does not know it) and, for a
// raster, every pixel of the band once.
#include <string>

namespace verdalis::gis {

// Prints the listing on standard output; layer empty: every layer.
void listFields(const std::string& input, const std::string& layer);

}  // namespace verdalis::gis
