#pragma once
// Command lines for the tests: argv arrays built from words, and the parse
// result of one line.
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/dataArg.h"

namespace verdalis {

class commandLine {
 public:
  commandLine(std::vector<std::string> arguments, std::string program = "verdalis") {
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(words.size()); }
  char** argv() { return pointers.data(); }

 private:
  std::vector<std::string> words;
  std::vector<char*> pointers;
};

struct parsedLine {
  dataArg arg;
  std::string messages;
  int errors = 0;
};

inline parsedLine parseLine(std::vector<std::string> arguments, std::string program = "verdalis") {
  commandLine line(arguments, program);
  parsedLine result;
  result.errors = readArguments(line.argc(), line.argv(), result.arg, result.messages);
  return result;
}

// A runner that keeps every record it is handed.
struct recordingRunner {
  std::vector<dataArg> runs;
  int status = 0;
  runFunction function() {
    return [this](dataArg arg) {
      runs.push_back(arg);
      return status;
    };
  }
};

}  // namespace verdalis
