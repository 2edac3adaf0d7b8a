#pragma once
// Numbers as people read them in summaries, legends and charts: a few
// significant digits ("71.2", "0.00123", "1.5e+04"), whatever the locale.
#include <cstdio>
#include <string>

namespace verdalis::gis {

inline std::string roundedText(double value, int digits = 3) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

}  // namespace verdalis::gis
