#include "cli/run_report.h"

namespace verdalis {

namespace {

std::string counted(long long count, const char* one, const char* many) {
  return toText(count) + " " + (count == 1 ? one : many);
}

std::string commaList(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace

// A user who reads only the end of the console sees what the run left, and
// a run on invalid input cannot end on a line that looks like success.
void sayClosingSummary(const runReport& r) {
  if (r.ending == runEnding::checksFailed) {
    tellUser("Summary: no result file written: the run stopped at the checks of its settings or input files.");
    return;
  }
  if (r.ending == runEnding::outOfMemory) {
    tellUser("Summary: the run ran out of memory and did not complete.");
    return;
  }
  if (r.ending == runEnding::planned) {
    tellUser("Summary: -plan: the plan of the run is printed; nothing was computed and no result file written.");
    return;
  }
  const long long files = static_cast<long long>(r.writtenFiles.size());
  tellUser(files == 0 ? std::string("Summary: no result file written")
                      : "Summary: " + counted(files, "result file", "result files") + " written: " +
                            commaList(r.writtenFiles));
  std::string counts = "Summary: " + counted(r.warnings, "warning", "warnings") + ", " +
                       counted(r.readingProblems, "reading problem", "reading problems");
  if (r.failedFiles > 0) counts += ", " + counted(r.failedFiles, "result file", "result files") + " not written";
  tellUser(counts);
  tellUser(r.headline.empty() ? std::string("Summary: no overall index selected") : "Summary: " + r.headline);
  if (r.summariesSkipped)
    tellUser("Summary: nothing was appended to the summary files, since the input had invalid values "
             "(-appendInvalid appends all the same).");
  if (r.readingProblems > 0)
    tellUser("RESULTS WILL BE INVALID: " + counted(r.readingProblems, "problem", "problems") +
             " in the input files of this run; see its messages.");
}

}  // namespace verdalis
