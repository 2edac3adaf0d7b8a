#include "program/program_impl.h"

namespace verdalis {

template class quivaraProgram<double>;

}  // namespace verdalis
