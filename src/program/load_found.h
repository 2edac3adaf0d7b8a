#pragma once
// The line that follows a reader's message about the layout or a value of an
// input file, on standard error: what was found, where an editor shows it,
// and how the file should look. The messages before it name the problem in
// the program's fixed words; this line lets a user see that, for example, a
// semicolon CSV or a header row is what went wrong.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "program/program_load_text.h"
#include "support/messages.h"
#include "support/numfmt.h"

namespace verdalis {

// At most 40 characters of one line, printable: tabs shown as \t, other
// control bytes and bytes outside ASCII as \xNN, the line end left out.
inline std::string printableExcerpt(const char* begin, const char* end) {
  const std::size_t limit = 40;
  std::string out;
  std::size_t shown = 0;
  for (const char* p = begin; p != end && *p != '\n'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\r') continue;
    if (shown == limit) return out + "...";
    if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c >= 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
    ++shown;
  }
  return out;
}

// Semicolons and commas are what spreadsheets and GIS tools put between
// columns; neither separates columns here.
inline std::string separatorHint(const std::string& line) {
  if (line.find(';') != std::string::npos)
    return " A semicolon does not separate columns: save the table as tab-delimited text.";
  if (line.find(',') != std::string::npos)
    return " A comma does not separate columns, nor does it mark decimals: save the table as tab-delimited text "
           "with decimal points.";
  return "";
}

inline std::string columnsText(int columns) { return toText(columns) + (columns == 1 ? " column" : " columns"); }

// The columns of the line of `text` that holds `offset`; `comparison`
// follows the line's description.
inline void tellColumnsFound(const std::string& file, const std::string& text, std::size_t offset, int columns,
                             const std::string& comparison) {
  if (text.empty()) {
    tellUser("Found: " + file + " is empty.");
    return;
  }
  std::size_t lineStart = offset == 0 ? 0 : text.rfind('\n', offset - 1);
  lineStart = lineStart == std::string::npos || offset == 0 ? 0 : lineStart + 1;
  int line = 1;
  for (std::size_t k = 0; k < lineStart; ++k) line += text[k] == '\n';
  const std::string excerpt = printableExcerpt(text.data() + lineStart, text.data() + text.size());
  const std::string what = excerpt.empty() ? ", which is blank" : ", which starts \"" + excerpt + "\"";
  tellUser("Found: " + columnsText(columns) + " in line " + toText(line) + " of " + file + what + comparison +
           "; columns are separated by blanks or tabs." + separatorHint(excerpt));
}

// A file the run cannot open, with the reason the system gives.
inline void tellCannotOpen(const std::string& file, int reason) {
  std::string why = reason == 0 ? std::string("it cannot be read") : std::strerror(reason);
  if (!why.empty()) why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
  tellUser("Error: cannot open " + file + ": " + why + ". Check the name and the folder the run starts in.");
}

// What was wrong with the value a reader stopped at.
enum class valueProblem { notNumber, notIdentifier, notExistingOrCandidate };

inline std::string valueHint(valueProblem problem) {
  switch (problem) {
    case valueProblem::notNumber:
      return "; a number is written with digits and a decimal point (12.5), without units, letters or a decimal "
             "comma.";
    case valueProblem::notIdentifier: return "; an identifier is a whole number (-2147483648 to 2147483647).";
    case valueProblem::notExistingOrCandidate:
      return "; the third column holds 1 for an existing node and 0 for a candidate.";
  }
  return ".";
}

// The token the reader stopped at, in column `column`.
inline void tellValueFound(const std::string& file, const numberReader& in, int column, valueProblem problem) {
  const std::string token = in.lastToken();
  const std::string place = "line " + toText(in.lastTokenLine()) + ", column " + toText(column);
  if (token.empty()) {
    tellUser("Found: the end of " + file + " where " + place + " was expected.");
    return;
  }
  std::string hint = valueHint(problem);
  const char first = token[0];
  if (in.lastTokenLine() == 1 && ((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')))
    hint += " A header row is not read: remove it.";
  tellUser("Found: \"" + printableExcerpt(token.data(), token.data() + token.size()) + "\" in " + place + " of " + file + hint);
}

}  // namespace verdalis
