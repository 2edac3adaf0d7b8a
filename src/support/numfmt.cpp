// The number formatting is header-only; this unit keeps the core library
// non-empty on every build and checks that the header stands on its own.
#include "support/numfmt.h"

namespace verdalis {

}  // namespace verdalis
