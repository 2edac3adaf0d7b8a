// verdalis._verdalis: the library's analyse() for Python. The package
// (verdalis/__init__.py) turns tables into the arrays and options this
// module takes; here the arrays are viewed in place (no copy: the package
// hands over int32 and float32 arrays), the run goes on a thread of its own
// (background_run.h), and the result tables become numpy arrays that own
// the library's columns, without a copy either.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "background_run.h"
#include "numpy_columns.h"
#include "verdalis/verdalis.h"

#ifdef VERDALIS_PYTHON_GIS
#include "gis_binding.h"
#endif

namespace verdalis::python {

namespace {

// The view of an array the package prepared: C-contiguous, of exactly the
// element type. None gives an empty view.
template <class V>
arrayView<V> viewOf(const py::object& column, const char* name) {
  if (column.is_none()) return {};
  if (!py::isinstance<py::array_t<V>>(column)) throw py::type_error(std::string(name) + ": not an array of the expected type");
  const py::array array = py::reinterpret_borrow<py::array>(column);
  if (array.ndim() != 1 || (array.flags() & py::array::c_style) == 0)
    throw py::type_error(std::string(name) + ": not a contiguous one-dimensional array");
  return {static_cast<const V*>(array.data()), static_cast<std::size_t>(array.size())};
}

template <class V>
V option(const py::dict& options, const char* name, V fallback) {
  return options.contains(name) ? options[name].cast<V>() : fallback;
}

indexChoice indicesOf(const py::dict& options) {
  indexChoice i;
  const std::vector<std::string> names = option(options, "indices", std::vector<std::string>{});
  for (const std::string& name : names)
    if (!i.select(name)) throw py::value_error("unknown index " + name);
  return i;
}

logDetail logDetailOf(const std::string& text) {
  if (text == "all") return logDetail::all;
  if (text == "brief") return logDetail::brief;
  if (text == "automatic") return logDetail::automatic;
  throw py::value_error("log_progress must be \"automatic\", \"all\" or \"brief\", not \"" + text + "\"");
}

// The options under the package's names (README, "Verdalis in Python").
analysisOptions optionsOf(const py::dict& o) {
  analysisOptions options;
  options.indices = indicesOf(o);
  options.confAdj = option(o, "conf_adj", 0.0f);
  const auto prob = option(o, "conf_prob", std::pair<float, float>{0, 0});
  options.confProb = {prob.first, prob.second};
  options.landArea = option(o, "land_area", 0.0f);
  options.pcHeurAll = option(o, "pc_heur_all", false);
  options.pcHeur = option(o, "pc_heur", 0.0f);
  options.pcDrops = option(o, "pc_drops", false);
  options.onlyOverall = option(o, "only_overall", false);
  options.removal = option(o, "removal", false);
  options.improvement = option(o, "improvement", false);
  options.linkMaxValue = option(o, "max_value", 0.0f);
  options.change = option(o, "change", false);
  options.components = option(o, "components", false);
  options.singlePrecision = option(o, "single", false);
  options.threads = option(o, "threads", 0);
  options.reference = option(o, "reference", false);
  options.dense = option(o, "dense", false);
  options.progressLines = logDetailOf(option(o, "log_progress", std::string("automatic")));
  return options;
}

pairReading readingOf(const py::dict& o) {
  pairReading reading;
  const std::string type = option(o, "type", std::string("dist"));
  if (type == "dist")
    reading.kind = pairValue::distance;
  else if (type == "prob")
    reading.kind = pairValue::probability;
  else if (type == "adj")
    reading.kind = pairValue::link;
  else
    throw py::value_error("type must be \"dist\", \"prob\" or \"adj\", not \"" + type + "\"");
  reading.everyPair = option(o, "all", false);
  reading.symmetric = option(o, "symmetric", false);
  return reading;
}

// A table as (names, columns); the table is emptied.
py::tuple tableOf(resultsTable&& table) {
  py::list columns;
  for (std::vector<double>& column : table.columns) columns.append(adopted(std::move(column)));
  py::tuple out = py::make_tuple(table.names, columns);
  table = {};
  return out;
}

// The results of a run; each table is handed over once (the package keeps
// the DataFrame it makes of it).
struct runResults {
  analysisResults values;
};

linkAnalysisKind linkKindOf(const std::string& name) {
  if (name == "removal") return linkAnalysisKind::removal;
  if (name == "improvement") return linkAnalysisKind::improvement;
  if (name == "change") return linkAnalysisKind::change;
  throw py::value_error("no link analysis " + name);
}

resultsTable buildTable(const runResults& r, const std::string& which) {
  py::gil_scoped_release release;
  if (which == "links") return r.values.linkList();
  if (which == "direct_probabilities") return r.values.probabilities(false);
  if (which == "best_path_probabilities") return r.values.probabilities(true);
  return r.values.linkTable(linkKindOf(which));
}

runResults analyseArrays(const py::dict& nodes, const py::dict& pairs, const py::dict& settings,
                         const py::object& log, const py::object& progress) {
  landscapeArrays land;
  land.id = viewOf<int>(nodes["id"], "id");
  land.attribute = viewOf<float>(nodes["attribute"], "attribute");
  land.candidate = viewOf<int>(nodes["candidate"], "candidate");
  land.from = viewOf<int>(pairs["from"], "from");
  land.to = viewOf<int>(pairs["to"], "to");
  land.value = viewOf<float>(pairs["value"], "value");
  land.alternative = viewOf<float>(pairs["alternative"], "alternative");
  land.reading = readingOf(settings);
  land.pairsName = "links";  // as the package names the table
  analysisOptions options = optionsOf(settings);
  textQueue text;
  if (!log.is_none()) options.sinks.log = text.sink();
  std::function<runResults(runControl&)> work = [&](runControl& control) {
    return runResults{analyse(land, options, &control)};
  };
  return runInBackground(work, text, log, progress);
}

void registerErrors(py::module_& m) {
  auto& base = py::register_exception<verdalisError>(m, "VerdalisError");
  py::register_exception<inputRefused>(m, "InputRefused", base.ptr());
  py::register_exception<outOfMemory>(m, "OutOfMemory", base.ptr());
  // Only a run this module cancelled ends so, and the cause is raised
  // instead; this covers a cancel from elsewhere.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const runCancelled&) {
      PyErr_SetNone(PyExc_KeyboardInterrupt);
    }
  });
}

}  // namespace

}  // namespace verdalis::python

PYBIND11_MODULE(_verdalis, m) {
  using namespace verdalis::python;
  m.doc() = "Verdalis's library; use the package verdalis, which wraps it";
  registerErrors(m);
  py::class_<runResults>(m, "Results")
      .def_property_readonly("overall", [](const runResults& r) { return r.values.overall; })
      .def_property_readonly("told", [](const runResults& r) { return r.values.told; })
      .def_property_readonly("warnings", [](const runResults& r) { return r.values.warnings; })
      .def_property_readonly("reading_problems", [](const runResults& r) { return r.values.readingProblems; })
      .def_property_readonly("route", [](const runResults& r) { return r.values.route.text; })
      .def("take_nodes", [](runResults& r) { return tableOf(std::move(r.values.nodes)); })
      .def("take_components", [](runResults& r) { return tableOf(std::move(r.values.components)); })
      .def("table", [](const runResults& r, const std::string& which) { return tableOf(buildTable(r, which)); });
  m.def("analyse", &analyseArrays, py::arg("nodes"), py::arg("pairs"), py::arg("settings"), py::arg("log"),
        py::arg("progress"));
  m.def("version", &verdalis::version);
#ifdef VERDALIS_PYTHON_GIS
  registerGis(m);
  m.attr("has_gis") = true;
#else
  m.attr("has_gis") = false;
#endif
}
