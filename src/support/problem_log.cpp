#include "support/problem_log.h"

#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

namespace {
constexpr std::size_t kExamplesTold = 3;
}

void problemLog::note(problemLevel level, const std::string& kind, const std::string& text,
                      const std::string& example, const char* counted) {
  for (kindEntry& entry : kinds) {
    if (entry.kind != kind) continue;
    ++entry.count;
    if (!example.empty() && entry.examples.size() < kExamplesTold) entry.examples.push_back(example);
    return;
  }
  kindEntry entry{kind, level, text, 1, {}, counted};
  if (!example.empty()) entry.examples.push_back(example);
  kinds.push_back(std::move(entry));
}

int problemLog::pending(problemLevel level) const {
  int count = 0;
  for (const kindEntry& entry : kinds) count += entry.level == level ? 1 : 0;
  return count;
}

std::string problemLine(problemLevel level, const std::string& text, long long count,
                        const std::vector<std::string>& examples, const char* counted) {
  std::string line = (level == problemLevel::error ? "Error: " : "Warning: ") + text;
  if (count > 1) {
    line += " (" + toText(count) + " " + counted;
    for (std::size_t k = 0; k < examples.size(); ++k) line += (k == 0 ? "; the first: " : ", ") + examples[k];
    line += ")";
  } else if (!examples.empty()) {
    line += " (" + examples.front() + ")";
  }
  return line;
}

int problemLog::tell() {
  int warnings = 0;
  for (const kindEntry& entry : kinds) {
    tellUser(problemLine(entry.level, entry.text, entry.count, entry.examples, entry.counted));
    warnings += entry.level == problemLevel::warning ? 1 : 0;
  }
  kinds.clear();
  return warnings;
}

problemLog& problems() {
  static problemLog log;
  return log;
}

}  // namespace verdalis
