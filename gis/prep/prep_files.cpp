// Formatting and writing the two input files of Verdalis.
#include "prep/prep_files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>

#include "common/failure.h"
#include "common/staged_file.h"
#include "support/progress.h"

namespace verdalis::gis {

namespace {
// Appends the fixed-point text of value; to_chars rounds correctly and
// ignores the locale.
void appendFixed(std::string& out, double value, int decimals) {
  char buffer[64];
  const std::to_chars_result done =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, done.ec == std::errc() ? done.ptr : buffer);
}

void appendWhole(std::string& out, std::int64_t value) {
  char buffer[24];
  const std::to_chars_result done = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, done.ptr);
}

// Writes text built in blocks to a staged file, so that a connection file of
// any size never sits whole in memory.
class blockWriter {
 public:
  explicit blockWriter(const stagedFile& file) : file_(file), out_(file.temporaryPath(), std::ios::binary) {
    if (!out_) inputError("cannot write " + file.path() + ": " + std::strerror(errno));
  }
  std::string& block() { return block_; }
  void flushIfFull() {
    if (block_.size() >= (1u << 20)) flush();
  }
  void finish() {
    flush();
    out_.close();
    if (!out_) inputError("cannot write " + file_.path() + " (disk full?)");
  }

 private:
  void flush() {
    out_.write(block_.data(), static_cast<std::streamsize>(block_.size()));
    block_.clear();
  }
  const stagedFile& file_;
  std::ofstream out_;
  std::string block_;
};
}  // namespace

std::string fixedText(double value, int decimals) {
  std::string text;
  appendFixed(text, value, decimals);
  return text;
}

double connectionFileBytes(const patchSet& set, int decimals, double typicalDistance) {
  std::string ids;
  for (const patch& p : set.patches) appendWhole(ids, p.id);
  const double n = static_cast<double>(set.patches.size());
  // Each identifier opens n - 1 lines and closes n - 1; two spaces and a line feed a line.
  return 2 * (n - 1) * static_cast<double>(ids.size()) +
         n * (n - 1) * static_cast<double>(3 + fixedText(typicalDistance, decimals).size());
}

void writeNodeFile(const stagedFile& target, const patchSet& set) {
  blockWriter file(target);
  for (const patch& p : set.patches) {
    appendWhole(file.block(), p.id);
    file.block() += '\t';
    appendFixed(file.block(), p.attribute, 4);
    file.block() += '\n';
    file.flushIfFull();
  }
  file.finish();
}

void writeConnectionFile(const stagedFile& target, const patchSet& set, const pairRows& rows, int decimals) {
  blockWriter file(target);
  progressPhase phase("Writing " + target.path(), static_cast<long long>(rows.partner.size()));
  for (std::size_t i = 0; i + 1 < rows.start.size(); ++i) {
    for (std::size_t k = rows.start[i]; k < rows.start[i + 1]; ++k) {
      std::string& out = file.block();
      appendWhole(out, set.patches[i].id);
      out += ' ';
      appendWhole(out, set.patches[rows.partner[k]].id);
      out += ' ';
      appendFixed(out, rows.distance[k], decimals);
      out += '\n';
    }
    runProgress().advance(static_cast<long long>(rows.start[i + 1] - rows.start[i]));
    file.flushIfFull();
  }
  file.finish();
}

}  // namespace verdalis::gis
