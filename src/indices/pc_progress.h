#pragma once
// The progress line of the PC computation for one source.
#include <string>

namespace verdalis {

// Ends in a carriage return, so that on a console each line overwrites the
// last. The share is taken in 64 bits, so that it never wraps.
inline void appendPCProgress(std::string& out, int source, int n) {
  out += "Processing node number ";
  out += std::to_string(source);
  out += " of ";
  out += std::to_string(n);
  out += " (";
  out += std::to_string(static_cast<long long>(source) * 100 / n);
  out += "%)\r";
}

}  // namespace verdalis
