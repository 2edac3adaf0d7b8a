// verdalis_analyse's way into the library: R's vectors become the
// landscape's arrays (integer vectors as they are, numbers converted once to
// single precision, as the files are read), the options list becomes
// analysisOptions, the analysis runs on a worker thread while R's thread
// shows its progress and watches for an interrupt, and the results come
// back as R vectors and data frames under the result files' names.
#include <Rcpp.h>

#include <chrono>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <verdalis/verdalis.h>

#include "worker_run.h"

namespace {

using verdalis::analysisOptions;
using verdalis::analysisResults;
using verdalis::landscapeArrays;
using verdalis::resultsTable;
using verdalisr::workerRun;

// A column that the library cannot take, as verdalis_analyse refuses it.
struct columnRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The converted columns: numbers in single precision, whole numbers given
// as doubles in 32 bits; integer and logical columns are viewed where R
// keeps them.
struct arraysHeld {
  std::vector<float> attribute, value, alternative;
  std::vector<int> id, candidate, from, to;
};

std::vector<float> singlePrecision(SEXP column) {
  std::vector<float> values(Rf_xlength(column));
  if (TYPEOF(column) == INTSXP) {
    const int* in = INTEGER(column);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(in[k]);
  } else {
    const double* in = REAL(column);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(in[k]);
  }
  return values;
}

verdalis::arrayView<int> integers(SEXP column, const std::string& label, std::vector<int>& held) {
  if (Rf_isNull(column)) return {};
  const std::size_t n = static_cast<std::size_t>(Rf_xlength(column));
  if (TYPEOF(column) == INTSXP) return {INTEGER(column), n};
  if (TYPEOF(column) == LGLSXP) return {LOGICAL(column), n};  // TRUE 1, FALSE 0
  const double* in = REAL(column);
  held.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double v = in[k];
    if (v != std::trunc(v) || std::fabs(v) > 2147483647.0) {
      std::ostringstream text;
      text << std::setprecision(15) << label << " must hold whole numbers between -2147483647 and 2147483647; row "
           << k + 1 << " holds " << v;
      throw columnRefused(text.str());
    }
    held[k] = static_cast<int>(v);
  }
  return {held.data(), n};
}

verdalis::arrayView<float> viewOf(const std::vector<float>& values) { return {values.data(), values.size()}; }

std::string labelOf(const Rcpp::List& table, const char* column) {
  const Rcpp::CharacterVector labels = table["labels"];
  return Rcpp::as<std::string>(labels[column]);
}

landscapeArrays landscapeOf(const Rcpp::List& nodes, const Rcpp::List& pairs, const Rcpp::List& reading,
                            arraysHeld& held) {
  landscapeArrays land;
  land.id = integers(nodes["id"], labelOf(nodes, "id"), held.id);
  held.attribute = singlePrecision(nodes["attribute"]);
  land.attribute = viewOf(held.attribute);
  if (nodes.containsElementNamed("candidate"))
    land.candidate = integers(nodes["candidate"], labelOf(nodes, "candidate"), held.candidate);
  land.from = integers(pairs["from"], labelOf(pairs, "from"), held.from);
  land.to = integers(pairs["to"], labelOf(pairs, "to"), held.to);
  held.value = singlePrecision(pairs["value"]);
  land.value = viewOf(held.value);
  if (pairs.containsElementNamed("alternative") && !Rf_isNull(pairs["alternative"])) {
    held.alternative = singlePrecision(pairs["alternative"]);
    land.alternative = viewOf(held.alternative);
  }
  const std::string type = Rcpp::as<std::string>(reading["type"]);
  land.reading.kind = type == "prob"  ? verdalis::pairValue::probability
                      : type == "adj" ? verdalis::pairValue::link
                                      : verdalis::pairValue::distance;
  land.reading.everyPair = Rcpp::as<bool>(reading["all"]);
  land.reading.symmetric = Rcpp::as<bool>(reading["symmetric"]);
  land.nodesName = Rcpp::as<std::string>(reading["nodes_name"]);
  land.pairsName = Rcpp::as<std::string>(reading["pairs_name"]);
  return land;
}

verdalis::indexChoice indicesOf(const Rcpp::CharacterVector& names) {
  verdalis::indexChoice chosen;
  for (const auto& entry : names) {
    const std::string name(entry);
    if (!chosen.select(name)) Rcpp::stop("unknown index " + name);
  }
  return chosen;
}

// The list verdalis_analyse builds, one element per field, already checked.
analysisOptions optionsOf(const Rcpp::List& o, verdalisr::heldText* log, verdalisr::heldText& told) {
  analysisOptions options;
  options.indices = indicesOf(o["indices"]);
  options.confAdj = Rcpp::as<float>(o["conf_adj"]);
  const Rcpp::NumericVector confProb = o["conf_prob"];
  options.confProb = {static_cast<float>(confProb[0]), static_cast<float>(confProb[1])};
  options.landArea = Rcpp::as<float>(o["land_area"]);
  options.pcHeurAll = Rcpp::as<bool>(o["pc_heur_all"]);
  options.pcHeur = Rcpp::as<float>(o["pc_heur"]);
  options.pcDrops = Rcpp::as<bool>(o["pc_drops"]);
  options.onlyOverall = Rcpp::as<bool>(o["only_overall"]);
  options.removal = Rcpp::as<bool>(o["removal"]);
  options.improvement = Rcpp::as<bool>(o["improvement"]);
  options.linkMaxValue = Rcpp::as<float>(o["max_value"]);
  options.change = Rcpp::as<bool>(o["change"]);
  options.components = Rcpp::as<bool>(o["components"]);
  options.singlePrecision = Rcpp::as<std::string>(o["precision"]) == "single";
  options.threads = Rcpp::as<int>(o["threads"]);
  options.reference = Rcpp::as<bool>(o["reference"]);
  options.dense = Rcpp::as<bool>(o["dense"]);
  options.planOnly = Rcpp::as<bool>(o["plan_only"]);
  if (log != nullptr) options.sinks.log = [log](const std::string& text) { log->add(text); };
  options.sinks.tell = [&told](const std::string& line) { told.add(line + "\n"); };
  return options;
}

// Columns of whole numbers come back as integer vectors.
bool isIdentifier(const std::string& name) {
  return name == "Node" || name == "Node1" || name == "Node2" || name == "Component" || name == "From" ||
         name == "To" || name == "Link";
}

// Each column of the library's table is let go once R holds its copy, so
// that a large table is never held twice over.
Rcpp::List dataFrameOf(resultsTable table) {
  Rcpp::List columns(table.names.size());
  for (std::size_t c = 0; c < table.names.size(); ++c) {
    std::vector<double>& values = table.columns[c];
    if (isIdentifier(table.names[c]))
      columns[c] = Rcpp::IntegerVector(values.begin(), values.end());
    else
      columns[c] = Rcpp::NumericVector(values.begin(), values.end());
    std::vector<double>().swap(values);
  }
  columns.attr("names") = Rcpp::CharacterVector(table.names.begin(), table.names.end());
  const int rows = columns.size() > 0 ? static_cast<int>(Rf_xlength(VECTOR_ELT(columns, 0))) : 0;
  columns.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -rows);
  columns.attr("class") = "data.frame";
  return columns;
}

Rcpp::List resultsOf(analysisResults& r, const Rcpp::List& o) {
  Rcpp::NumericVector overall(r.overall.size());
  Rcpp::CharacterVector labels(r.overall.size());
  for (std::size_t k = 0; k < r.overall.size(); ++k) {
    labels[k] = r.overall[k].first;
    overall[k] = r.overall[k].second;
  }
  overall.attr("names") = labels;
  Rcpp::List out;
  out["overall"] = overall;
  out["route"] = r.route.text;
  out["messages"] = Rcpp::CharacterVector(r.told.begin(), r.told.end());
  out["reading_problems"] = r.readingProblems;
  if (Rcpp::as<bool>(o["plan_only"])) return out;
  if (!Rcpp::as<bool>(o["only_overall"])) out["nodes"] = dataFrameOf(std::move(r.nodes));
  using verdalis::linkAnalysisKind;
  if (Rcpp::as<bool>(o["removal"])) out["removal"] = dataFrameOf(r.linkTable(linkAnalysisKind::removal));
  if (Rcpp::as<bool>(o["improvement"]))
    out["improvement"] = dataFrameOf(r.linkTable(linkAnalysisKind::improvement));
  if (Rcpp::as<bool>(o["change"])) out["change"] = dataFrameOf(r.linkTable(linkAnalysisKind::change));
  if (Rcpp::as<bool>(o["components"])) out["components"] = dataFrameOf(std::move(r.components));
  if (Rcpp::as<bool>(o["link_list"])) out["link_list"] = dataFrameOf(r.linkList());
  if (Rcpp::as<bool>(o["direct_probabilities"])) out["direct_probabilities"] = dataFrameOf(r.probabilities(false));
  if (Rcpp::as<bool>(o["maximum_product_probabilities"]))
    out["maximum_product_probabilities"] = dataFrameOf(r.probabilities(true));
  return out;
}

// A failed run as verdalis_analyse signals it: the class of its condition
// and the message. A run refused for its memory told why and what would
// make it fit.
Rcpp::List failureOf(const std::exception_ptr& failure, const std::string& told) {
  auto as = [](const char* kind, const std::string& message) {
    return Rcpp::List::create(Rcpp::Named("failure") = kind, Rcpp::Named("message") = message);
  };
  try {
    std::rethrow_exception(failure);
  } catch (const verdalis::inputRefused& e) {
    return as("verdalis_input_refused", e.what());
  } catch (const verdalis::outOfMemory&) {
    return as("verdalis_out_of_memory", told.find("Not enough memory") != std::string::npos
                                            ? told.substr(told.find("Not enough memory"))
                                            : "the run needs more memory than the machine has\n");
  } catch (const std::bad_alloc&) {
    return as("verdalis_out_of_memory", "the run needs more memory than the machine has\n");
  } catch (const std::exception& e) {
    return as("verdalis_error", e.what());
  }
}

}  // namespace

// [[Rcpp::export(.verdalis_run)]]
Rcpp::List verdalisRun(Rcpp::List nodes, Rcpp::List pairs, Rcpp::List reading, Rcpp::List options,
                       SEXP progress, bool verbose) {
  arraysHeld held;
  landscapeArrays land;
  try {
    land = landscapeOf(nodes, pairs, reading, held);
  } catch (const columnRefused& e) {
    return Rcpp::List::create(Rcpp::Named("failure") = "verdalis_input_refused", Rcpp::Named("message") = e.what());
  }
  verdalisr::heldText log, told;
  const analysisOptions settings = optionsOf(options, verbose ? &log : nullptr, told);
  verdalisr::workerOutcome<analysisResults> outcome;
  {
    workerRun<analysisResults> worker(
        [&](verdalis::runControl& control) { return verdalis::analyse(land, settings, &control); });
    outcome = verdalisr::waitForWorker(worker, log, progress);
  }
  if (outcome.failure) return failureOf(outcome.failure, told.take());
  return resultsOf(*outcome.results, options);
}

// [[Rcpp::export(.verdalis_version)]]
std::string verdalisVersion() { return verdalis::version(); }

// Where the library was found when the package was built: its programs
// (verdalis, verdalis-prep) are in the bin folder beside it.
// [[Rcpp::export(.verdalis_prefix)]]
std::string verdalisPrefix() { return VERDALIS_PREFIX; }

