#include "cli/arguments.h"
#include "cli/option_names.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

#include "support/decimal.h"
#include "support/messages.h"

namespace verdalis {

namespace {

// What each option with values takes, for the line that says so when they
// are missing or are not numbers.
struct optionValues {
  int count;
  const char* what;
};

const std::map<std::string, optionValues>& valuesTaken() {
  static const std::map<std::string, optionValues> table = {
      {"-nodeFile", {1, "the node file"}},
      {"-conFile", {1, "the connection file"}},
      {"-t", {1, "dist, prob or adj, then all or notall, e.g. -t dist notall"}},
      {"-conFileType", {1, "dist, prob or adj, then all or notall"}},
      {"-confAdj", {1, "the link threshold, a distance or, with -t prob, a probability, e.g. -confAdj 1000"}},
      {"-confProb", {2, "the distance D and the probability P at it, e.g. -confProb 1000 0.5"}},
      {"-confMultipleValues", {3, "MIN MAX STEP of the thresholds, e.g. -confMultipleValues 500 2000 500"}},
      {"-pcHeur", {1, "all, or the smallest probability kept, e.g. -pcHeur 0.005"}},
      {"maxValue", {1, "the largest distance, or the smallest probability, of the pairs measured"}},
      {"-landArea", {1, "the study area in the units of the node attributes, e.g. -landArea 14400"}},
      {"-prefix", {1, "the name that begins the result files of the run"}},
      {"-threads", {1, "a whole number of threads, 0 for every core"}},
      {"-progress", {1, "all or brief"}},
  };
  return table;
}

std::string takesText(const std::string& option) {
  static const char* const counts[] = {"", "a value", "two values", "three values"};
  const optionValues& v = valuesTaken().at(option);
  const bool numbers = option.rfind("-conf", 0) == 0 || option == "-landArea" || option == "maxValue";
  const std::string count = numbers ? std::string(v.count == 1 ? "a number" : v.count == 2 ? "two numbers"
                                                                                            : "three numbers")
                                    : counts[v.count];
  return option + " takes " + count + " (" + v.what + ")";
}

// Why a word is not a number, when a usual slip explains it.
std::string notNumberHint(const std::string& word) {
  if (word.find(',') != std::string::npos) return " (a decimal point, not a comma)";
  if (word.find_first_of("0123456789") != std::string::npos) return " (digits and a decimal point, without units)";
  return "";
}


// Index selections and output switches that take no value.
const std::map<std::string, bool dataArg::*>& plainSwitches() {
  static const std::map<std::string, bool dataArg::*> table = {
      {"-A", &dataArg::A},
      {"-a", &dataArg::A},
      {"-CCP", &dataArg::CCP},
      {"-ccp", &dataArg::CCP},
      {"-LCP", &dataArg::LCP},
      {"-lcp", &dataArg::LCP},
      {"-IIC", &dataArg::IIC},
      {"-iic", &dataArg::IIC},
      {"-NC", &dataArg::NC},
      {"-nc", &dataArg::NC},
      {"-NL", &dataArg::NL},
      {"-nl", &dataArg::NL},
      {"-H", &dataArg::H},
      {"-F", &dataArg::F},
      {"-f", &dataArg::F},
      {"-AWF", &dataArg::AWF},
      {"-awf", &dataArg::AWF},
      {"-PC", &dataArg::PC},
      {"-pc", &dataArg::PC},
      {"-add", &dataArg::addNodes},
      {"-noout", &dataArg::bexecution_events},
      {"-wcomp", &dataArg::bcomponents},
      {"-wlinks", &dataArg::blinks},
      {"-wprobdir", &dataArg::bdirect_probabilities},
      {"-wprobmax", &dataArg::bmaximum_product_probabilities},
      {"-*", &dataArg::searchSimilar},
      {"-reference", &dataArg::reference},
      {"-dense", &dataArg::dense},
      {"-plan", &dataArg::plan},
      {"-symmetric", &dataArg::symmetric},
      {"-appendInvalid", &dataArg::appendInvalid},
      {"--version", &dataArg::version},
  };
  return table;
}

// The betweenness indices, refused once "onlyoverall" has been read.
struct betweennessOption {
  bool dataArg::*field;
  const char* name;
};

const std::map<std::string, betweennessOption>& betweennessSwitches() {
  static const std::map<std::string, betweennessOption> table = {
      {"-BC", {&dataArg::BC, "BC"}},          {"-bc", {&dataArg::BC, "BC"}},
      {"-BCIIC", {&dataArg::BCIIC, "BCIIC"}}, {"-bciic", {&dataArg::BCIIC, "BCIIC"}},
      {"-BCPC", {&dataArg::BCPC, "BCPC"}},    {"-bcpc", {&dataArg::BCPC, "BCPC"}},
  };
  return table;
}

bool isHelp(const std::string& t) { return t == "-h" || t == "--help" || t == "-help" || t == "-?" || t == "/?"; }

bool isOneOf(const std::string& t, std::initializer_list<const char*> names) {
  for (const char* name : names)
    if (t == name) return true;
  return false;
}

// Whether the unmatched token at position i is the value of an earlier
// option. Positions below 1 (the program name) never count.
bool isValueToken(const std::vector<std::string>& tok, std::size_t i) {
  const std::string& t = tok[i];
  auto before = [&](std::size_t k) -> std::string { return i > k ? tok[i - k] : std::string(); };
  if (isOneOf(before(1), {"-landArea", "-confAdj", "-confProb", "-nodeFile", "-conFile", "-conFileType", "-t",
                          "-pcHeur", "-prefix", "maxValue", "-threads", "-progress"}))
    return true;
  if (before(2) == "-confProb") return true;
  if (isOneOf(before(2), {"-t", "-conFileType"}) && isOneOf(t, {"all", "notall"})) return true;
  if (isOneOf(before(1), {"-removal", "-improvement"}) && t == "maxValue") return true;
  for (std::size_t k = 1; k <= 3; ++k)
    if (before(k) == "-confMultipleValues") return true;
  return false;
}

// Blanks around the token are allowed (a value pasted with its spaces);
// the rest must be a decimal number that single precision holds. Infinity
// and not-a-number never are: every comparison with a not-a-number is false,
// so it would slip through the range checks of the thresholds.
bool readCommandLineNumber(const std::string& token, float& field) {
  const std::size_t first = token.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::size_t last = token.find_last_not_of(" \t");
  const std::string number = token.substr(first, last - first + 1);
  if (!isDecimalNumber(number.data(), number.data() + number.size())) return false;
  const double value = strtod_l(number.c_str(), nullptr, classicCLocale());
  if (!(std::fabs(value) <= std::numeric_limits<float>::max())) return false;
  field = static_cast<float>(value);
  return true;
}

// A non-negative whole number that fits an int, digits only.
bool readThreadCount(const std::string& t, int& count) {
  if (t.empty() || t.size() > 10) return false;
  long long value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > INT_MAX) return false;
  count = static_cast<int>(value);
  return true;
}

class commandLineReader {
 public:
  commandLineReader(int argc, char** argv, dataArg& argp, std::string& messagesp,
                    std::vector<commandLineProblem>& toldp)
      : tok(argv, argv + argc), arg(argp), messages(messagesp), told(toldp) {}

  int readTokens() {
    for (std::size_t i = 1; i < tok.size(); ++i) readToken(i);
    return errors;
  }

 private:
  using handler = void (commandLineReader::*)(std::size_t);

  std::vector<std::string> tok;
  dataArg& arg;
  std::string& messages;
  std::vector<commandLineProblem>& told;
  int errors = 0;
  // The unknown word whose line collects the numbers that follow it, which
  // were meant as its values.
  std::size_t unknownLine = 0, unknownEnd = 0;
  std::string unknownName;
  std::vector<std::string> unknownValues;

  bool exists(std::size_t k) const { return k < tok.size(); }
  void note(const std::string& text, const std::string& user) {
    messages += text;
    told.push_back({problemLevel::warning, user, ""});
  }
  void fail(const std::string& text) {
    messages += text;
    ++errors;
  }
  // `option` is the option the problem is about, when a later check of the
  // combination would only repeat it.
  void fail(const std::string& text, const std::string& user, const std::string& option = "") {
    fail(text);
    told.push_back({problemLevel::error, user, option});
  }

  // A value is a whole decimal number, as in the input files: "1km" or
  // "0,5" read as 1 and 0 would run the analysis with a threshold the user
  // never meant. A refused token leaves the field as it was.
  void number(std::size_t k, float& field, const std::string& option) {
    if (readCommandLineNumber(tok[k], field)) return;
    const std::string& word = tok[k];
    const std::string why = looksLikeOption(word) ? "; it is followed by " + word + " instead"
                                : "; \"" + word + "\" is not a number" + notNumberHint(word);
    fail("\nArgument '" + word + "' could not be a number\n", takesText(option) + why, option);
  }

  // A word that is neither an option nor the value of one. Numbers right
  // after it were meant as its values: they join its line.
  void unknownWord(std::size_t i) {
    const std::string& word = tok[i];
    fail("\nArgument '" + word + "' not valid\n");
    float ignored = 0;
    const bool number = readCommandLineNumber(word, ignored);
    if (number && !told.empty() && unknownLine == told.size() && unknownEnd + 1 == i) {
      unknownValues.push_back(word);
      unknownEnd = i;
      told.back().text = unknownText(unknownName, unknownValues);
      return;
    }
    // A mistyped option read as the value of the one before it: the
    // numbers after it were still meant for it.
    const bool afterStray = number && i >= 2 && looksLikeOption(tok[i - 1]) && !isKnownOptionName(tok[i - 1]) &&
                            !isHelp(tok[i - 1]) && !(unknownLine == told.size() && unknownEnd + 1 == i);
    unknownName = afterStray ? tok[i - 1] : word;
    unknownValues.clear();
    if (afterStray) unknownValues.push_back(word);
    told.push_back({problemLevel::error, unknownText(unknownName, unknownValues), closestOptionName(unknownName)});
    unknownLine = told.size();
    unknownEnd = i;
  }

  static bool looksLikeOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && (std::isalpha(static_cast<unsigned char>(word[1])) || word[1] == '-');
  }

  static std::string unknownText(const std::string& word, const std::vector<std::string>& values) {
    const std::string closest = closestOptionName(word);
    std::string text = word.empty() || word[0] != '-' ? "\"" + word + "\" is neither an option nor the value of one"
                                                      : "unknown option " + word;
    if (!closest.empty()) text += " (did you mean " + closest + "?)";
    if (!values.empty()) {
      text += "; the value" + std::string(values.size() == 1 ? "" : "s") + " after it,";
      for (const std::string& v : values) text += " " + v;
      text += values.size() == 1 ? ", was not read" : ", were not read";
    }
    return text;
  }

  // An option at position i whose values run past the end of the line:
  // the line says how many it takes and what it was given.
  void missingValues(std::size_t i, const std::string& text) {
    std::string given;
    for (std::size_t k = i + 1; k < tok.size(); ++k) given += " " + tok[k];
    fail(text, takesText(tok[i]) + (given.empty() ? "; none was given" : "; it was given only" + given), tok[i]);
  }

  void readToken(std::size_t i) {
    const std::string& t = tok[i];
    if (isHelp(t)) {
      arg.help = 1;
      return;
    }
    auto plain = plainSwitches().find(t);
    if (plain != plainSwitches().end()) {
      arg.*(plain->second) = true;
      return;
    }
    auto bc = betweennessSwitches().find(t);
    if (bc != betweennessSwitches().end()) {
      betweenness(bc->second);
      return;
    }
    auto valued = valuedOptions().find(t);
    if (valued != valuedOptions().end()) {
      (this->*(valued->second))(i);
      return;
    }
    if (!isValueToken(tok, i)) unknownWord(i);
  }

  static const std::map<std::string, handler>& valuedOptions() {
    static const std::map<std::string, handler> table = {
        {"-nodeFile", &commandLineReader::nodeFile},
        {"-conFile", &commandLineReader::conFile},
        {"-conFileType", &commandLineReader::connexionType},
        {"-t", &commandLineReader::connexionType},
        {"-confAdj", &commandLineReader::confAdj},
        {"-confProb", &commandLineReader::confProb},
        {"-confMultipleValues", &commandLineReader::multipleValues},
        {"-pcHeur", &commandLineReader::pcHeur},
        {"onlyoverall", &commandLineReader::onlyOverall},
        {"-removal", &commandLineReader::removal},
        {"-improvement", &commandLineReader::improvement},
        {"-change", &commandLineReader::change},
        {"-landArea", &commandLineReader::landArea},
        {"-double", &commandLineReader::doublePrecision},
        {"-simple", &commandLineReader::singlePrecision},
        {"-prefix", &commandLineReader::prefix},
        {"-threads", &commandLineReader::threads},
        {"-progress", &commandLineReader::progress},
    };
    return table;
  }

  void betweenness(const betweennessOption& option) {
    if (arg.onlyoverall) {
      note(std::string("When the onlyoverall option is selected, index ") + option.name + " will not be calculated\n",
           onlyOverallDrops(option.name));
      arg.*(option.field) = false;
    } else {
      arg.*(option.field) = true;
    }
  }

  void nodeFile(std::size_t i) {
    if (exists(i + 1))
      arg.fileNodes = tok[i + 1];
    else
      missingValues(i, "No nodes file defined\n");
  }

  void conFile(std::size_t i) {
    if (exists(i + 1))
      arg.fileConnections = tok[i + 1];
    else
      missingValues(i, "No connections file is defined\n");
  }

  void connexionType(std::size_t i) {
    if (!exists(i + 1)) {
      missingValues(i, "No connexion type is defined\n");
    } else if (tok[i + 1] == "dist") {
      setInput(true, false, false);
    } else if (tok[i + 1] == "prob") {
      setInput(false, true, false);
    } else if (tok[i + 1] == "adj") {
      setInput(false, false, true);
    } else {
      fail("\nArgument '" + tok[i + 1] + "' not valid as connexion type\n",
           takesText(tok[i]) + "; \"" + tok[i + 1] + "\" is none of them");
    }
    if (exists(i + 2)) {
      if (tok[i + 2] == "all") arg.structType = true;
      if (tok[i + 2] == "notall") arg.structType = false;
    }
  }

  void setInput(bool dist, bool prob, bool adj) {
    arg.inputDist = dist;
    arg.inputProb = prob;
    arg.inputAdjacen = adj;
  }

  void confAdj(std::size_t i) {
    if (exists(i + 1) && (arg.inputDist || arg.inputProb)) {
      number(i + 1, arg.adjacentTail, tok[i]);
      return;
    }
    if (arg.inputDist) messages += "No distance value defined in adjacent indices -confAdj\n";
    if (arg.inputProb) messages += "No probability value defined in adjacent indices -confAdj\n";
    ++errors;
    if (arg.inputDist || arg.inputProb)
      told.push_back({problemLevel::error, takesText(tok[i]) + "; none was given", ""});
    else
      told.push_back({problemLevel::error,
                      "-confAdj does not apply to binary links (-t adj), which the connection file gives: leave "
                      "it out, or give it after -t dist or -t prob",
                      ""});
  }

  void confProb(std::size_t i) {
    if (exists(i + 2) && arg.inputDist) {
      number(i + 1, arg.kDistanceProb, tok[i]);
      number(i + 2, arg.kProbProb, tok[i]);
    } else if (!arg.inputDist) {
      fail("Problems in definition of probabilistic indices -confProb\n",
           "-confProb turns distances into probabilities, so it follows -t dist or no -t at all; with -t prob the "
           "connection file gives the probabilities themselves: leave -confProb out");
    } else {
      missingValues(i, "Problems in definition of probabilistic indices -confProb\n");
    }
  }

  void multipleValues(std::size_t i) {
    arg.type1_iteration = true;
    if (exists(i + 3)) {
      number(i + 1, arg.min_iteration, tok[i]);
      number(i + 2, arg.max_iteration, tok[i]);
      number(i + 3, arg.step_iteration, tok[i]);
    } else {
      missingValues(i, "Problems defining -iterate max min step\n");
    }
  }

  void pcHeur(std::size_t i) {
    if (!exists(i + 1)) {
      missingValues(i, "Problems in -pcHeur. Missed argument.\n");
    } else if (tok[i + 1] == "all") {
      arg.allpathsp = true;
    } else {
      number(i + 1, arg.minProbp, tok[i]);
      arg.allpathsp = false;
    }
  }

  void onlyOverall(std::size_t) {
    arg.onlyoverall = true;
    arg.bnode_importances = false;
    if (arg.linkImportances1 || arg.linkImportances2 || arg.linkImportances3 || arg.blink_importances_removal ||
        arg.blink_importances_improvement || arg.blink_importances_improvementDiff)
      note("No compatible link removal, link improvement and link change with onlyoverall execution\n",
           "onlyoverall computes the overall indices only: the link analyses (-removal, -improvement, -change) "
           "are not run. Leave out onlyoverall to run them");
    arg.linkImportances1 = arg.linkImportances2 = arg.linkImportances3 = false;
    arg.blink_importances_removal = arg.blink_importances_improvement = arg.blink_importances_improvementDiff = false;
    if (arg.BC || arg.BCIIC || arg.BCPC)
      note("When the onlyoverall option is selected, indices BC, BC(IIC), or BC(PC) will not be calculated \n",
           onlyOverallDrops("BC, BCIIC and BCPC"));
    arg.BC = arg.BCIIC = arg.BCPC = false;
  }

  static std::string onlyOverallDrops(const std::string& what) {
    return "onlyoverall computes the overall indices only: " + what +
           " (an importance of every node) are not computed. Leave out onlyoverall to compute them";
  }

  void linkAnalysis(std::size_t i, bool dataArg::*analysis, bool dataArg::*report, const char* incompatible,
                    const char* noMaxValue) {
    if (arg.onlyoverall) {
      note(incompatible, "onlyoverall computes the overall indices only: " + tok[i] +
                             " is not run. Leave out onlyoverall to run it");
      arg.*analysis = false;
      arg.*report = false;
      return;
    }
    arg.*analysis = true;
    arg.*report = true;
    if (exists(i + 1) && tok[i + 1] == "maxValue") {
      if (exists(i + 2))
        number(i + 2, arg.linkImportancesPij, "maxValue");
      else
        missingValues(i + 1, noMaxValue);
    }
  }

  void removal(std::size_t i) {
    linkAnalysis(i, &dataArg::linkImportances1, &dataArg::blink_importances_removal,
                 "No compatible execution link removal with onlyoverall\n", "maxValue is not defined\n");
  }

  void improvement(std::size_t i) {
    linkAnalysis(i, &dataArg::linkImportances2, &dataArg::blink_importances_improvement,
                 "No compatible execution link improvement with onlyoverall\n", "maxValue is not defined.\n");
  }

  void change(std::size_t) {
    if (arg.onlyoverall) {
      note("No compatible execution link change with onlyoverall\n",
           "onlyoverall computes the overall indices only: -change is not run. Leave out onlyoverall to run it");
      return;
    }
    arg.linkImportances3 = true;
    arg.blink_importances_improvementDiff = true;
  }

  void landArea(std::size_t i) {
    if (exists(i + 1))
      number(i + 1, arg.landscapeArea, tok[i]);
    else
      missingValues(i, "landArea is not defined\n");
  }

  void doublePrecision(std::size_t) { arg.precission = 1.0f; }
  void singlePrecision(std::size_t) { arg.precission = 0.0f; }

  void prefix(std::size_t i) {
    if (exists(i + 1))
      arg.setPrefix(tok[i + 1]);
    else
      missingValues(i, "");
  }

  void threads(std::size_t i) {
    if (!exists(i + 1))
      missingValues(i, "No number of threads defined -threads\n");
    else if (!readThreadCount(tok[i + 1], arg.threads))
      fail("\nArgument '" + tok[i + 1] + "' not valid as number of threads (a whole number, 0 or more)\n",
           takesText(tok[i]) + "; \"" + tok[i + 1] + "\" is not one");
  }

  void progress(std::size_t i) {
    if (!exists(i + 1))
      missingValues(i, "No progress lines defined -progress (all or brief)\n");
    else if (tok[i + 1] == "all" || tok[i + 1] == "brief")
      arg.progress = tok[i + 1] == "all" ? progressRequest::all : progressRequest::brief;
    else
      fail("\nArgument '" + tok[i + 1] + "' not valid as progress lines (all or brief)\n",
           takesText(tok[i]) + "; \"" + tok[i + 1] + "\" is neither");
  }
};

}  // namespace

std::string usageText() {
  return "Verdalis GNU 2.8.8 - Command line version 1.1.6 for digraphs(bcc64 bits) \n"
         "Usage:\n"
         "verdalis.exe -nodeFile nfile -conFile cfile [-*] [-t dist|prob [all|notall]]\n"
         " [-confProb distance prob  [-PC [-BCPC]] [-F] [-AWF] ] \n"
         " [-double | -simple] [onlyoverall] \n"
         " [-wprobdir] [-wprobmax]  [-noout] \n";
}

int readArguments(int argc, char** argv, dataArg& arg, std::string& messages, std::vector<commandLineProblem>& told) {
  if (argc <= 1) arg.help = 1;
  commandLineReader reader(argc, argv, arg, messages, told);
  int errors = reader.readTokens();
  return errors + checkArguments(arg, messages, told);
}

int readArguments(int argc, char** argv, dataArg& arg, std::string& messages) {
  std::vector<commandLineProblem> told;
  return readArguments(argc, argv, arg, messages, told);
}

}  // namespace verdalis
