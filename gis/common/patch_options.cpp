// Reading and checking the patch source options of both companions.
#include "common/patch_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "common/failure.h"

namespace verdalis::gis {

optionWord splitOption(const std::string& word) {
  const std::size_t equals = word.find('=');
  if (word.rfind("--", 0) != 0 || equals == std::string::npos) return {word, std::nullopt};
  return {word.substr(0, equals), word.substr(equals + 1)};
}

std::string optionValue(const std::vector<std::string>& args, std::size_t& at,
                        const optionWord& option) {
  if (option.inlineValue) return *option.inlineValue;
  if (at + 1 >= args.size()) commandLineError(option.name + " needs a value");
  return args[++at];
}

double numberOption(const std::string& text, const std::string& option) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
    commandLineError(option + " expects a number, not \"" + text + "\"");
  return value;
}

long wholeOption(const std::string& text, const std::string& option, long low, long high) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < low || value > high)
    commandLineError(option + " expects a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + text + "\"");
  return value;
}

double squareMetresPerUnit(areaUnit unit) {
  switch (unit) {
    case areaUnit::squareMetres: return 1.0;
    case areaUnit::squareKilometres: return 1e6;
    case areaUnit::hectares: break;
  }
  return 1e4;
}

const char* unitName(areaUnit unit) {
  switch (unit) {
    case areaUnit::squareMetres: return "m2";
    case areaUnit::squareKilometres: return "km2";
    case areaUnit::hectares: break;
  }
  return "ha";
}

namespace {
areaUnit parseUnit(const std::string& text) {
  if (text == "ha") return areaUnit::hectares;
  if (text == "m2") return areaUnit::squareMetres;
  if (text == "km2") return areaUnit::squareKilometres;
  commandLineError("--area expects ha, m2 or km2, not \"" + text + "\"");
}

std::vector<double> parseHabitat(const std::string& text) {
  std::vector<double> values;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = text.find(',', start);
    const std::size_t stop = comma == std::string::npos ? text.size() : comma;
    values.push_back(numberOption(text.substr(start, stop - start), "--habitat"));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values;
}

pixelNeighbours parseNeighbours(const std::string& text) {
  if (text == "8") return pixelNeighbours::eight;
  if (text == "4") return pixelNeighbours::four;
  commandLineError("--connectivity expects 8 or 4, not \"" + text + "\"");
}
}  // namespace

bool takePatchOption(const std::vector<std::string>& args, std::size_t& at,
                     patchSourceOptions& o) {
  const optionWord option = splitOption(args[at]);
  const std::string& name = option.name;
  if (name == "--dissolve") {
    if (option.inlineValue) commandLineError("--dissolve takes no value");
    o.dissolve = true;
    return true;
  }
  if (name != "--layer" && name != "--id" && name != "--attribute" && name != "--area" &&
      name != "--where" && name != "--habitat" && name != "--connectivity" &&
      name != "--min-area" && name != "--to")
    return false;
  const std::string value = optionValue(args, at, option);
  if (name == "--layer") o.layer = value;
  else if (name == "--id") o.idField = value;
  else if (name == "--attribute") o.attributeField = value;
  else if (name == "--where") o.where = value;
  else if (name == "--to") o.targetCrs = value;
  else if (name == "--area") o.unit = parseUnit(value), o.unitGiven = true;
  else if (name == "--habitat") o.habitat = parseHabitat(value);
  else if (name == "--connectivity") o.neighbours = parseNeighbours(value), o.neighboursGiven = true;
  else o.minArea = numberOption(value, "--min-area");
  return true;
}

void checkPatchOptions(const patchSourceOptions& o) {
  if (o.input.empty()) commandLineError("no input layer or raster given");
  if (!o.attributeField.empty() && o.unitGiven)
    commandLineError("--attribute and --area exclude each other: the attribute is a field or the area");
  if (o.habitat.empty()) {
    if (o.neighboursGiven) commandLineError("--connectivity applies to a raster read with --habitat");
    if (o.minArea) commandLineError("--min-area applies to a raster read with --habitat");
    return;
  }
  const char* vectorOnly = !o.layer.empty()            ? "--layer"
                           : !o.idField.empty()        ? "--id"
                           : !o.attributeField.empty() ? "--attribute"
                           : !o.where.empty()          ? "--where"
                           : o.dissolve                ? "--dissolve"
                                                       : nullptr;
  if (vectorOnly)
    commandLineError(std::string(vectorOnly) + " applies to a polygon layer, not to a raster read with --habitat");
  if (o.minArea && *o.minArea < 0) commandLineError("--min-area must be 0 or more");
}

}  // namespace verdalis::gis

namespace verdalis::gis {

bool readCommandLine(const std::vector<std::string>& args, patchSourceOptions& source, const optionReader& takeOther) {
  for (std::size_t at = 0; at < args.size(); ++at) {
    const std::string& word = args[at];
    if (word == "-h" || word == "--help") return false;
    if (word.rfind("-", 0) != 0 || word == "-") {
      if (!source.input.empty()) commandLineError("more than one input given: " + source.input + " and " + word);
      source.input = word;
    } else if (!takePatchOption(args, at, source)) {
      takeOther(args, at);
    }
  }
  return true;
}

void checkDistinctOutputs(const std::string& input, const std::vector<std::string>& outputs) {
  for (std::size_t a = 0; a < outputs.size(); ++a) {
    if (outputs[a].empty()) continue;
    if (outputs[a] == input) commandLineError("an output file would replace the input " + input);
    for (std::size_t b = a + 1; b < outputs.size(); ++b)
      if (outputs[a] == outputs[b]) commandLineError("two outputs share the name " + outputs[a]);
  }
}

}  // namespace verdalis::gis
