#include "support/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace verdalis {

namespace {

// Writes the whole text to an open descriptor. A regular file takes it in one
// call; the loop only resumes after a partial write or an interrupting signal.
bool writeAll(int fd, const std::string& text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool writeWholeFile(const std::string& path, const std::string& text) {
  // Renaming would replace a file that the user made read-only; treat it as
  // the open for writing would.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;
  // The pid keeps two programs writing the same result file from sharing a
  // temporary file.
  const std::string temporary = path + ".tmp" + std::to_string(static_cast<long>(::getpid()));
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return false;
  bool ok = writeAll(fd, text);
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

bool appendToFile(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
  if (fd < 0) return false;
  bool ok = writeAll(fd, text);
  return (::close(fd) == 0) && ok;
}

bool fileReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace verdalis
