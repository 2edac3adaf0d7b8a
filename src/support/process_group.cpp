#include "support/process_group.h"

namespace verdalis {

processGroup& processes() {
  auto alone = [](const std::string& mine, bool failed, std::vector<std::string>& parts) {
    parts.assign(1, mine);
    return failed;
  };
  static processGroup group{0, 1, alone, alone};
  return group;
}

}  // namespace verdalis
