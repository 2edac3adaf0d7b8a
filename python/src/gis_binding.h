#pragma once
// verdalis.prep's side of the module: verdalis-prep in-process
// (verdalis/gis.h), built when the GIS companions are.
#include <pybind11/pybind11.h>

namespace verdalis::python {

void registerGis(pybind11::module_& m);

}  // namespace verdalis::python
