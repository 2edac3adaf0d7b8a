#pragma once
// The run log of verdalis-protconn: the inputs as read, the settings, a
// line per region and distance (nodes, pairs, ECA, ProtConn) with what the
// core told, and the files written. Standard output gets the short summary.
#include <string>
#include <vector>

#include "common/patch_set.h"
#include "protconn/protconn_options.h"
#include "protconn/protconn_run.h"

namespace verdalis::gis {

struct runInputs {
  const protconnOptions& options;
  const patchSet& areas;
  const regionSet& regions;
  const std::vector<dispersalDistance>& kernels;
};

std::string settingsText(const runInputs& inputs);
std::string regionLines(const std::vector<regionResult>& results, const std::vector<dispersalDistance>& kernels);
// The files written, one "Wrote ..." line each.
std::string writtenText(const protconnOptions& o, const std::vector<regionResult>& results,
                        const std::vector<dispersalDistance>& kernels);

}  // namespace verdalis::gis
