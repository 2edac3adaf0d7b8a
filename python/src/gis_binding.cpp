// prep(arguments, progress): verdalis-prep's work on the layer the package
// wrote, on a thread of its own (background_run.h); the arrays come back
// as numpy arrays that own them.
#include "gis_binding.h"

#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "background_run.h"
#include "numpy_columns.h"
#include "verdalis/gis.h"

namespace verdalis::python {

namespace {
py::dict prepared(const std::vector<std::string>& arguments, const py::object& progress) {
  textQueue noText;
  const std::function<gis::preparedLandscape(runControl&)> work = [&](runControl& control) {
    return gis::prep(arguments, &control);
  };
  gis::preparedLandscape p = runInBackground(work, noText, py::none(), progress);
  py::dict out;
  out["id"] = adopted(std::move(p.id));
  out["attribute"] = adopted(std::move(p.attribute));
  out["from"] = adopted(std::move(p.from));
  out["to"] = adopted(std::move(p.to));
  out["value"] = adopted(std::move(p.distance));
  out["all"] = p.everyPair;
  out["land_area"] = p.landArea;
  out["report"] = p.report;
  out["warnings"] = p.warnings;
  return out;
}
}  // namespace

void registerGis(py::module_& m) {
  // A command line prep refuses is a bad argument of verdalis.prep; a layer
  // it cannot read or use is refused input.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const gis::gisFailure& failure) {
      if (failure.kind() == gis::failureKind::commandLine) {
        PyErr_SetString(PyExc_ValueError, failure.what());
      } else {
        const py::object refused = py::module_::import("verdalis._verdalis").attr("InputRefused");
        PyErr_SetString(refused.ptr(), failure.what());
      }
    }
  });
  m.def("prep", &prepared, py::arg("arguments"), py::arg("progress"));
}

}  // namespace verdalis::python
