#pragma once
// Writing result files without leaving half-written ones behind.
#include <string>

namespace verdalis {

// Replaces the whole content of path with text. The text goes to a temporary
// file in the same folder, which is renamed over path only once it is
// complete, so a reader (or an interrupted run) never sees a truncated file
// under the final name. Returns false, leaving path untouched, when any step
// fails.
bool writeWholeFile(const std::string& path, const std::string& text);

// Appends text to path (created when missing) with one write of the whole
// text, so that the block of one run is never split or interleaved. Returns
// false when the file cannot be opened or the text cannot be written.
bool appendToFile(const std::string& path, const std::string& text);

// Whether path can be opened for reading.
bool fileReadable(const std::string& path);

}  // namespace verdalis
