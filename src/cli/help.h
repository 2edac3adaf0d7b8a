#pragma once
// The texts a user asks for: the reference of every option that follows the
// usage lines of the help options, and the version.
#include <string>

namespace verdalis {

// Every option, one line each, grouped by purpose, with a typical command.
std::string helpReference();

// The line printed for --version.
std::string versionText();

}  // namespace verdalis
