#include "library/run_warnings.h"

namespace verdalis {

std::string joinedList(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (k > 0) text += k + 1 == items.size() ? " and " : ", ";
    text += items[k];
  }
  return text;
}

}  // namespace verdalis
