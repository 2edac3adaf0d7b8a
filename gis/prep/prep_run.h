#pragma once
// One run of verdalis-prep once its command line is read: the patches
// loaded, the pairs measured, the files named written, and what the program
// prints. verdalis-prep's main and the in-process prep() (verdalis/gis.h)
// are both this; only the in-process one keeps the arrays.
#include "prep/prep_options.h"
#include "verdalis/gis.h"

namespace verdalis::gis {

enum class prepArrays { kept, dropped };

// Fills everything but warnings (warn() tells them, or collects them).
preparedLandscape runPrep(const prepOptions& options, prepArrays arrays);

}  // namespace verdalis::gis
