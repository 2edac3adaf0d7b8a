// verdalis_prep's way into the GIS part of the library: verdalis-prep's
// work in-process (verdalis/gis.h) on the layer file verdalis_prep wrote,
// on a worker thread while R's thread shows its progress and watches for an
// interrupt, as an analysis runs. Its arrays come back as the two tables.
// Without the GIS part (no GDAL, GEOS or cairo where the library was built)
// the call says what is missing.
#include <Rcpp.h>

#include <string>
#include <vector>

#ifdef VERDALIS_GIS
#include <verdalis/gis.h>

#include "worker_run.h"
#endif

namespace {

Rcpp::List failure(const char* kind, const std::string& message) {
  return Rcpp::List::create(Rcpp::Named("failure") = kind, Rcpp::Named("message") = message);
}

#ifdef VERDALIS_GIS
using verdalis::gis::preparedLandscape;

Rcpp::List tableOf(Rcpp::List columns, int rows) {
  columns.attr("row.names") = Rcpp::IntegerVector::create(NA_INTEGER, -rows);
  columns.attr("class") = "data.frame";
  return columns;
}

Rcpp::List tablesOf(const preparedLandscape& p) {
  const Rcpp::List nodes = tableOf(
      Rcpp::List::create(Rcpp::Named("id") = Rcpp::IntegerVector(p.id.begin(), p.id.end()),
                         Rcpp::Named("attribute") = Rcpp::NumericVector(p.attribute.begin(), p.attribute.end())),
      static_cast<int>(p.id.size()));
  const Rcpp::List links = tableOf(
      Rcpp::List::create(Rcpp::Named("from") = Rcpp::IntegerVector(p.from.begin(), p.from.end()),
                         Rcpp::Named("to") = Rcpp::IntegerVector(p.to.begin(), p.to.end()),
                         Rcpp::Named("value") = Rcpp::NumericVector(p.distance.begin(), p.distance.end())),
      static_cast<int>(p.from.size()));
  return Rcpp::List::create(
      Rcpp::Named("nodes") = nodes, Rcpp::Named("links") = links, Rcpp::Named("all") = p.everyPair,
      Rcpp::Named("land_area") = p.landArea > 0 ? Rcpp::wrap(p.landArea) : R_NilValue,
      Rcpp::Named("report") = p.report,
      Rcpp::Named("warnings") = Rcpp::CharacterVector(p.warnings.begin(), p.warnings.end()));
}

Rcpp::List failureOf(const std::exception_ptr& thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const verdalis::gis::gisFailure& e) {
    return failure("verdalis_input_refused", e.what());
  } catch (const verdalis::outOfMemory& e) {
    return failure("verdalis_out_of_memory", e.what());
  } catch (const std::bad_alloc&) {
    return failure("verdalis_out_of_memory", "the layer needs more memory than the machine has");
  } catch (const std::exception& e) {
    return failure("verdalis_error", e.what());
  }
}
#endif

}  // namespace

// verdalis-prep's words (without --nodes and --connections).
// [[Rcpp::export(.verdalis_prep_run)]]
Rcpp::List verdalisPrepRun(std::vector<std::string> arguments, SEXP progress) {
#ifdef VERDALIS_GIS
  verdalisr::heldText log;
  verdalisr::workerOutcome<preparedLandscape> outcome;
  {
    verdalisr::workerRun<preparedLandscape> worker(
        [&](verdalis::runControl& control) { return verdalis::gis::prep(arguments, &control); });
    outcome = verdalisr::waitForWorker(worker, log, progress);
  }
  if (outcome.failure) return failureOf(outcome.failure);
  return tablesOf(*outcome.results);
#else
  (void)arguments;
  (void)progress;
  return failure("verdalis_error",
                 "verdalis_prep needs the GIS part of the library, which was not installed beside it: Verdalis "
                 "builds it when GDAL, GEOS and cairo are present (Debian: apt-get install libgdal-dev "
                 "libgeos-dev libcairo2-dev), then make install, then install this package again");
#endif
}

// Whether the package was built with the GIS part of the library.
// [[Rcpp::export(.verdalis_gis_built)]]
bool verdalisGisBuilt() {
#ifdef VERDALIS_GIS
  return true;
#else
  return false;
#endif
}
