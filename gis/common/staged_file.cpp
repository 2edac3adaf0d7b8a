// Staged output files: temporary name in the same folder, rename at the end.
#include "common/staged_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "common/failure.h"
#include "support/interrupts.h"

namespace verdalis::gis {

namespace {
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The extension is kept, since GDAL and cairo choose formats and warn by it.
std::string temporaryName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string tag = ".tmp" + std::to_string(static_cast<long>(::getpid()));
  if (!hasExtension) return path + tag;
  return path.substr(0, dot) + tag + path.substr(dot);
}
}  // namespace

stagedFile::stagedFile(const std::string& path)
    : path_(path), temporary_(temporaryName(path)), interruptSlot_(holdTemporaryFile(temporary_.c_str())) {}

stagedFile::~stagedFile() {
  releaseTemporaryFile(interruptSlot_);
  if (committed_) return;
  std::remove(temporary_.c_str());
  for (const char* side : {"-wal", "-shm", "-journal"}) std::remove((temporary_ + side).c_str());
}

void stagedFile::commit() {
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0)
    inputError("cannot write " + path_ + ": " + std::strerror(errno));
  committed_ = true;
}

void checkWritable(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    const std::string folder = folderOf(path);
    if (::access(folder.c_str(), W_OK) != 0)
      inputError("cannot write " + path + ": folder " + folder + " " +
                 (errno == ENOENT ? "does not exist" : "is not writable"));
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)
      inputError("cannot write " + path + ": the file is read-only");
  }
}

void writeStagedText(const stagedFile& target, const std::string& text) {
  std::ofstream out(target.temporaryPath(), std::ios::binary);
  out << text;
  out.close();
  if (!out) inputError("cannot write " + target.path() + ": " + std::strerror(errno));
}

}  // namespace verdalis::gis
