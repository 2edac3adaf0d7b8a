#pragma once
// What a number is, for the input files and the command line alike: a plain
// decimal token, converted in the "C" locale whatever the user's locale is.
#include <locale.h>
#include <stdlib.h>

namespace verdalis {

// A token is a number only when the whole of it is a decimal number: an
// optional sign, digits with an optional decimal point (at least one
// digit), and an optional exponent with at least one digit. "12abc", "0x1A",
// "inf", "1e" and "1,5" are not numbers.
inline bool isDecimalNumber(const char* begin, const char* end) {
  const char* p = begin;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (p != end && (*p == '+' || *p == '-')) ++p;
  int digits = 0;
  while (p != end && digit(*p)) ++p, ++digits;
  if (p != end && *p == '.') {
    ++p;
    while (p != end && digit(*p)) ++p, ++digits;
  }
  if (digits == 0) return false;
  if (p != end && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != end && (*p == '+' || *p == '-')) ++p;
    int exponentDigits = 0;
    while (p != end && digit(*p)) ++p, ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  return p == end;
}

// Conversions use the "C" locale whatever the process locale is, so that
// the decimal point is always ".".
inline locale_t classicCLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

}  // namespace verdalis
