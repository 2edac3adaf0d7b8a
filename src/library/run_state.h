#pragma once
// The run behind a result of the library: its program object, in the
// precision it ran in, kept for the tables asked for later and for writing
// the result files.
#include <memory>

#include "program/quivaraProgram.h"

namespace verdalis {

class runState {
 public:
  std::unique_ptr<quivaraProgram<float>> simple;
  std::unique_ptr<quivaraProgram<double>> full;

  // f(program) on the program of the run, whichever its precision.
  template <class F>
  decltype(auto) visit(F&& f) {
    return simple ? f(*simple) : f(*full);
  }
};

}  // namespace verdalis
