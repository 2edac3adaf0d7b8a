#include "landscape/landscape_impl.h"

namespace verdalis {

template class landscape<float>;

}  // namespace verdalis
