#pragma once
// Options that say where the patches come from, shared by verdalis-prep and
// verdalis-map so that both read the same patches from the same input.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace verdalis::gis {

enum class areaUnit { hectares, squareMetres, squareKilometres };
enum class pixelNeighbours { eight, four };

struct patchSourceOptions {
  std::string input;
  std::string layer;           // empty: the only layer of the file
  std::string idField;         // empty: the feature ID
  std::string attributeField;  // empty: the area
  areaUnit unit = areaUnit::hectares;
  bool unitGiven = false;
  std::string where;
  bool dissolve = false;
  std::vector<double> habitat;  // non-empty: the input is a land-cover raster
  pixelNeighbours neighbours = pixelNeighbours::eight;
  bool neighboursGiven = false;
  std::optional<double> minArea;
  std::string targetCrs;  // empty: the source's own system
};

// Reads the option at args[at] (and its value) when it is one of the patch
// source options, advancing at past it; false when the option is another one.
// "--option value" and "--option=value" are both accepted.
bool takePatchOption(const std::vector<std::string>& args, std::size_t& at,
                     patchSourceOptions& options);

// Checks the combination once every option has been read.
void checkPatchOptions(const patchSourceOptions& options);

// Reads a whole command line: the one input word, the patch source options,
// and every other option through takeOther (which advances at past a value it
// takes, and refuses what it does not know). False when help was asked for.
// The caller checks the patch options, since some runs need no input.
using optionReader = std::function<void(const std::vector<std::string>& args, std::size_t& at)>;
bool readCommandLine(const std::vector<std::string>& args, patchSourceOptions& source, const optionReader& takeOther);

// Refuses outputs that would replace the input or one another; empty names
// are outputs not asked for.
void checkDistinctOutputs(const std::string& input, const std::vector<std::string>& outputs);

// Splits "--name=value" into name and value; value is empty without "=".
struct optionWord {
  std::string name;
  std::optional<std::string> inlineValue;
};
optionWord splitOption(const std::string& word);

// The value of the option at args[at], taken inline or from the next word.
std::string optionValue(const std::vector<std::string>& args, std::size_t& at,
                        const optionWord& option);

// Numbers of the command line, refused with a message naming the option.
double numberOption(const std::string& text, const std::string& option);
long wholeOption(const std::string& text, const std::string& option, long low, long high);

double squareMetresPerUnit(areaUnit unit);
const char* unitName(areaUnit unit);

}  // namespace verdalis::gis
