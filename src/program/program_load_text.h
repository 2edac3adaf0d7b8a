#pragma once
// Plain-text input: whole-file reading, the column count of a file read in
// 99-character chunks, and a reader that sees a file as a stream of numbers.
//
// A whole file is read at once and parsed by hand because a full connection
// file of a thousand nodes has a million lines; stream extraction would take
// several seconds on it.
#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "support/decimal.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

// Text as exported by spreadsheets and GIS tools: a UTF-8 byte-order mark
// at the start is dropped, and a carriage return that no line feed follows
// (the line end of older Mac exports) becomes a line feed. Without this, the
// mark would make the first identifier unreadable and a CR-only file would
// be a single line.
inline void normaliseExportedText(std::string& content) {
  if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
  for (std::size_t k = 0; k < content.size(); ++k)
    if (content[k] == '\r' && (k + 1 == content.size() || content[k + 1] != '\n')) content[k] = '\n';
}

// The content of a file, or false when it cannot be opened or read (a
// directory opens but cannot be read).
inline bool readWholeFile(const std::string& path, std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  content.clear();
  // Room for the whole file at once: growing by doubling would copy and
  // fault in several times its size. A size that cannot be told (a pipe)
  // or cannot be had (a directory may claim any) only leaves it to grow.
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    try {
      if (size > 0) content.reserve(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
    }
  }
  std::rewind(file);
  bool ok = true;
  // The file is closed before a memory failure leaves this function.
  try {
    guardAlloc(kNoMemory, [&] {
      char buffer[1 << 16];
      std::size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    });
  } catch (...) {
    std::fclose(file);
    throw;
  }
  if (std::ferror(file)) ok = false;
  std::fclose(file);
  normaliseExportedText(content);
  return ok;
}

// Blanks, tabs, line ends and NUL separate columns, both for the column
// check and for the readers, so that the readers never find more values
// than the column check counted.
inline bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

inline int countColumns(const char* begin, const char* end) {
  int columns = 0;
  bool inColumn = false;
  for (const char* p = begin; p != end; ++p) {
    bool separator = isSeparator(*p);
    if (!separator && !inColumn) ++columns;
    inColumn = !separator;
  }
  return columns;
}

// The column check of a file's content: `words` gets the columns of the
// first chunk, `lines` the counted lines. A chunk ends after a line feed or
// after 99 characters, whichever comes first, so a longer line counts as
// several lines. Blank chunks are not counted, except the first one. Every
// counted line whose column count differs from the first is reported, and
// the first of them is described in `odd` when it is given.
struct columnMismatch {
  bool found = false;
  std::size_t offset = 0;  // where its chunk starts in the text
  int columns = 0;
};

inline int countColumnsAndLines(const std::string& text, int& words, int& lines, columnMismatch* odd = nullptr) {
  const std::size_t chunkLimit = 99;
  int errors = 0;
  words = 0;
  lines = 1;
  std::size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    std::size_t limit = std::min(text.size(), pos + chunkLimit);
    // The line feed is looked for within the chunk only: searching the rest
    // of the text would make a single long line cost its length squared.
    const void* feed = std::memchr(text.data() + pos, '\n', limit - pos);
    std::size_t end = feed == nullptr ? limit : static_cast<std::size_t>(static_cast<const char*>(feed) - text.data()) + 1;
    int columns = countColumns(text.data() + pos, text.data() + end);
    const std::size_t start = pos;
    pos = end;
    if (first) {
      words = columns;
      first = false;
    } else if (columns == words) {
      ++lines;
    } else if (columns != 0) {
      ++lines;
      ++errors;
      sayError("Not all the lines within the node or connection file have the same number of columns. \nLine " +
               toText(lines) + " in the node or connection file has " + toText(columns) +
               " columns, which is different from previous line(s) in the same file.");
      if (odd != nullptr && !odd->found) *odd = columnMismatch{true, start, columns};
    }
  }
  return errors;
}

// Whether a double can be converted to a 32-bit integer and back without
// change. The range is checked first: converting an out-of-range double to
// int is undefined.
inline bool isInt32Value(double v) {
  if (!(v >= -2147483648.0 && v <= 2147483647.0)) return false;
  return static_cast<double>(static_cast<int>(v)) == v;
}

// A file seen as a stream of numbers: line ends separate values like blanks.
class numberReader {
 public:
  explicit numberReader(const std::string& text) : pos_(text.data()), end_(text.data() + text.size()) {}

  // The text of the last token looked at (empty when the text ended
  // instead), and the line it is on, counted as an editor counts lines.
  std::string lastToken() const { return std::string(token_, tokenEnd_); }
  int lastTokenLine() const { return tokenLine_; }

  // True when no value is left.
  bool atEnd() {
    skipSeparators();
    return pos_ == end_;
  }

  // The next value in double precision; false when it is missing or not a
  // number (an overflow to infinity is not a number; an underflow reads as
  // the nearest representable value).
  bool readDouble(double& value) {
    const char* begin;
    if (!nextToken(begin)) return false;
    char* stop = nullptr;
    double v = strtod_l(begin, &stop, classicCLocale());
    if (stop != pos_ || v == HUGE_VAL || v == -HUGE_VAL) return false;
    value = v;
    return true;
  }

  // The next value in single precision, rounded once from its text.
  bool readFloat(float& value) {
    const char* begin;
    if (!nextToken(begin)) return false;
    char* stop = nullptr;
    float v = strtof_l(begin, &stop, classicCLocale());
    if (stop != pos_ || v == HUGE_VALF || v == -HUGE_VALF) return false;
    value = v;
    return true;
  }

 private:
  void skipSeparators() {
    for (; pos_ != end_ && isSeparator(*pos_); ++pos_)
      if (*pos_ == '\n') ++line_;
  }

  // Moves past the next token; false when there is none or it is not a
  // decimal number. The token is always followed by a separator or by the
  // terminating NUL of the text, which stops the conversion functions.
  bool nextToken(const char*& begin) {
    skipSeparators();
    token_ = tokenEnd_ = pos_;
    tokenLine_ = line_;
    if (pos_ == end_) return false;
    begin = pos_;
    while (pos_ != end_ && !isSeparator(*pos_)) ++pos_;
    tokenEnd_ = pos_;
    return isDecimalNumber(begin, pos_);
  }

  const char* pos_;
  const char* end_;
  const char* token_ = pos_;
  const char* tokenEnd_ = pos_;
  int line_ = 1;
  int tokenLine_ = 1;
};

}  // namespace verdalis
