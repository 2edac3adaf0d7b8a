#pragma once
// Which progress lines of the run log a run prints. Every line is printed
// unless the run would write so many that its log becomes a burden (one
// line per source of every PC computation is n² lines for the node
// importances): then the per-source lines are left out and the per-node
// and per-pair lines are thinned to a size a person can keep. The choice is
// made per run (program/progress_choice.h), before the analysis.
namespace verdalis {

class progressMeter;

// -progress: what the user asked for.
enum class progressRequest { automatic, all, brief };

struct progressLines {
  bool pcSources = true;    // "Processing node number S of N (P%)" for every source
  long long caseStride = 1; // the lines of every caseStride-th node (and the last)
  // Counts the sources of the PC computations while the global landscape is
  // measured; none elsewhere, where the phases count whole cases.
  progressMeter* sourceMeter = nullptr;
};

// The choice of the run in progress, for the whole process: the index
// computations deep below the analysis print through it.
inline progressLines& runProgressLines() {
  static progressLines lines;
  return lines;
}

// The sources of the PC computations count on the meter for the life of
// the scope.
class sourcesCounted {
 public:
  explicit sourcesCounted(progressMeter& meter) { runProgressLines().sourceMeter = &meter; }
  ~sourcesCounted() { runProgressLines().sourceMeter = nullptr; }
  sourcesCounted(const sourcesCounted&) = delete;
  sourcesCounted& operator=(const sourcesCounted&) = delete;
};

// Whether the lines of case `index` (0-based) of `count` are printed.
inline bool caseLineShown(long long index, long long count) {
  const long long stride = runProgressLines().caseStride;
  return stride <= 1 || (index + 1) % stride == 0 || index + 1 == count;
}

}  // namespace verdalis
