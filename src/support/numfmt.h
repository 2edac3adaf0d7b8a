#pragma once
// Text form of numbers: the default formatting of a standard output stream
// (integers in decimal, floating values in general notation with six
// significant digits), in the classic locale.
#include <cmath>
#include <ostream>
#include <string>
#include <type_traits>

namespace verdalis {

std::string signedText(long long value);
std::string unsignedText(unsigned long long value);
// A float is written through its double value, as a stream writes it.
std::string floatingText(double value);

// A not-a-number is always written "nan": the sign bit of a NaN produced by
// 0/0 differs between platforms and must not reach a result file.
template <class V>
std::string toText(V value) {
  if constexpr (std::is_floating_point_v<V>)
    return floatingText(static_cast<double>(value));
  else if constexpr (std::is_signed_v<V>)
    return signedText(value);
  else
    return unsignedText(value);
}

// Appends a number to a stream with the same rule as toText.
template <class V>
std::ostream& putNumber(std::ostream& out, V value) {
  if constexpr (std::is_floating_point_v<V>) {
    if (std::isnan(value)) return out << "nan";
  }
  return out << value;
}

}  // namespace verdalis
