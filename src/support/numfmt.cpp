#include "support/numfmt.h"

#include <locale>
#include <sstream>

namespace verdalis {

namespace {

template <class V>
std::string streamText(V value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

}  // namespace

std::string signedText(long long value) { return streamText(value); }

std::string unsignedText(unsigned long long value) { return streamText(value); }

std::string floatingText(double value) {
  if (std::isnan(value)) return "nan";
  return streamText(value);
}

}  // namespace verdalis
