#include "support/progress.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

namespace {

// A terminal shows a line of the run log ended by a carriage return under
// the next text; this many blanks cover any of those lines.
constexpr std::size_t kTerminalLineWidth = 60;

std::string counted(long long count, const char* unit) { return toText(count) + " " + unit; }

}  // namespace

std::string durationForPerson(double seconds) {
  if (!(seconds > 0)) seconds = 0;
  if (seconds < 60) return counted(static_cast<long long>(std::ceil(seconds)), "s");
  const long long minutes = std::llround(seconds / 60);
  if (minutes < 60) return counted(minutes, "min");
  if (minutes < 24 * 60) {
    const std::string hours = counted(minutes / 60, "h");
    return minutes % 60 == 0 ? hours : hours + " " + counted(minutes % 60, "min");
  }
  const long long hours = std::llround(seconds / 3600);
  const std::string days = counted(hours / 24, hours / 24 == 1 ? "day" : "days");
  return hours % 24 == 0 ? days : days + " " + counted(hours % 24, "h");
}

std::string phaseLine(const std::string& name, long long done, long long total, double seconds) {
  if (total <= 0) return name + ": under way for " + durationForPerson(seconds);
  if (done <= 0) return name + ": 0% done, time left not known yet";
  if (done >= total) return name + ": 100% done, finishing";
  const long long percent = static_cast<long long>(static_cast<double>(done) * 100 / static_cast<double>(total));
  const double left = seconds * static_cast<double>(total - done) / static_cast<double>(done);
  return name + ": " + toText(percent) + "% done, about " + durationForPerson(left) + " left";
}

void progressMeter::startPhase(const std::string& name, long long totalUnits) {
  endPhase();
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = name;
  total_ = totalUnits;
  done_.store(0, std::memory_order_relaxed);
  start_ = clock::now();
  spoke_ = false;
  running_ = true;
  watcher_ = std::thread([this] { watch(); });
}

progressMeter::snapshot progressMeter::now() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return {};
  return {name_, done_.load(std::memory_order_relaxed), total_,
          std::chrono::duration<double>(clock::now() - start_).count(), spoke_};
}

void progressMeter::endPhase() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!running_) return;
    running_ = false;
  }
  wake_.notify_all();
  watcher_.join();
  if (spoke_) {
    const double seconds = std::chrono::duration<double>(clock::now() - start_).count();
    sayLine(name_ + ": done in " + durationForPerson(seconds));
  }
}

void progressMeter::watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  clock::time_point next = start_ + kFirstPhaseLineAfter;
  long long saidAt = -1;
  while (running_) {
    if (wake_.wait_until(lock, next, [this] { return !running_; })) break;
    next += kPhaseLineEvery;
    const long long done = done_.load(std::memory_order_relaxed);
    if (done == saidAt && inner_ != nullptr && inner_->now().spoke) continue;
    const double seconds = std::chrono::duration<double>(clock::now() - start_).count();
    sayLine(phaseLine(name_, done, total_, seconds));
    spoke_ = true;
    saidAt = done;
  }
}

// Standard output goes first, so that a console showing both keeps them in
// order (as the other lines on standard error do).
void progressMeter::sayLine(const std::string& text) {
  if (console().quiet || !console().phaseLines) return;
  std::fflush(stdout);
  std::string line = text;
  if (isatty(fileno(stderr)) && line.size() < kTerminalLineWidth) line.append(kTerminalLineWidth - line.size(), ' ');
  line += "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

progressMeter& runProgress() {
  static progressMeter meter;
  return meter;
}

}  // namespace verdalis
