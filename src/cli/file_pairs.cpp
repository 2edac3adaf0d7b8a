#include "cli/arguments.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "support/messages.h"
#include "support/numfmt.h"

// File-pair mode (-*): one run per node file and connection file whose
// names begin with the two given beginnings and end alike.
namespace verdalis {

namespace {

// Builds a run of one file pair, or says why the pair does not match.
bool preparePair(dataArg& arg, const std::string& nodeName, const std::string& conName,
                 const std::string& nodePrefix, const std::string& conPrefix, const std::string& initialPrefix) {
  std::string nodeRest = nodeName.substr(nodeName.find(nodePrefix) + nodePrefix.size());
  std::string conRest = conName.substr(conName.find(conPrefix) + conPrefix.size());
  if (nodeRest != conRest) {
    say("\nError -* parameter\n");
    say("\nfiles not similar\n " + nodeName + " " + conName);
    tellUser("Error: -*: the node file " + nodeName + " and the connection file " + conName +
             " end differently (\"" + nodeRest + "\" and \"" + conRest +
             "\"), so they are not run as a pair; name each pair alike after the two beginnings.");
    return false;
  }
  arg.fileNodes = nodeName;
  arg.fileConnections = conName;
  arg.setPrefix(initialPrefix + nodeRest);
  return true;
}

}  // namespace

int comprovaFitxers(std::vector<std::string>& fitxerNodes, std::vector<std::string>& fitxerCon, dataArg arg) {
  const char* directory = ".";
  DIR* dir = opendir(directory);
  if (dir == nullptr) {
    int error = errno;
    say("Error(" + toText(error) + ") opening " + directory + "\n");
    return error;
  }
  auto startsWith = [](const std::string& name, const std::string& prefix) {
    return name.compare(0, prefix.size(), prefix) == 0;
  };
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (startsWith(name, arg.fileNodes)) fitxerNodes.push_back(name);
    if (startsWith(name, arg.fileConnections)) fitxerCon.push_back(name);
  }
  closedir(dir);
  return 0;
}

int runFilePairs(dataArg arg, const runFunction& executa) {
  std::vector<std::string> nodeNames, conNames;
  comprovaFitxers(nodeNames, conNames, arg);
  if (nodeNames.size() != conNames.size()) {
    say("\nError -* parameter\n");
    say("\nThe number and/or names of the node files is different from the number and/or names of the "
        "connection files\n");
    tellUser("Error: -*: " + toText(nodeNames.size()) + " files of this folder begin with \"" + arg.fileNodes +
             "\" and " + toText(conNames.size()) + " with \"" + arg.fileConnections +
             "\"; every node file needs one connection file that ends alike. Nothing was run.");
    return kExitCommandLine;
  }
  say("\nNumber of file pairs: " + toText(static_cast<int>(nodeNames.size())) + "\n");
  if (nodeNames.empty()) {
    tellUser("Error: -*: no file of this folder begins with \"" + arg.fileNodes + "\" and \"" +
             arg.fileConnections + "\"; -nodeFile and -conFile give the beginnings of the file names with -*.");
    return kExitCommandLine;
  }
  std::sort(nodeNames.begin(), nodeNames.end());
  std::sort(conNames.begin(), conNames.end());
  const std::string nodePrefix = arg.fileNodes, conPrefix = arg.fileConnections;
  const std::string initialPrefix = arg.prefix_name;
  int status = kExitDone;
  for (std::size_t k = 0; k < nodeNames.size(); ++k) {
    if (preparePair(arg, nodeNames[k], conNames[k], nodePrefix, conPrefix, initialPrefix))
      status = worseStatus(status, executa(arg));
    else
      status = worseStatus(status, kExitCommandLine);
  }
  return status;
}

}  // namespace verdalis
