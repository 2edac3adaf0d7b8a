#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <locale>

#include "support/interrupts.h"

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

wholeFileWriter::wholeFileWriter(const std::string& path)
    // The pid keeps two programs writing the same result file from sharing a
    // temporary file.
    : path_(path), temporary_(path + ".tmp" + std::to_string(static_cast<long>(::getpid()))) {
  // Renaming would replace a file that the user made read-only; refuse it as
  // opening it for writing would.
  if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0) return;
  stream_.imbue(std::locale::classic());
  interruptSlot_ = holdTemporaryFile(temporary_.c_str());
  stream_.open(temporary_, std::ios::out | std::ios::trunc | std::ios::binary);
  open_ = stream_.is_open();
  if (!open_) releaseTemporaryFile(interruptSlot_);
}

wholeFileWriter::~wholeFileWriter() {
  if (open_ && !committed_) {
    stream_.close();
    std::remove(temporary_.c_str());
    releaseTemporaryFile(interruptSlot_);
  }
}

bool wholeFileWriter::commit() {
  if (!open_ || committed_) return false;
  stream_.close();
  committed_ = !stream_.fail() && std::rename(temporary_.c_str(), path_.c_str()) == 0;
  if (!committed_) std::remove(temporary_.c_str());
  releaseTemporaryFile(interruptSlot_);
  open_ = false;
  return committed_;
}

bool writeWholeFile(const std::string& path, const std::string& text) {
  wholeFileWriter file(path);
  if (!file.isOpen()) return false;
  file.out() << text;
  return file.commit();
}

bool appendToFile(const std::string& path, const std::string& text) {
  // An interrupt during the write would leave part of a block; it waits.
  interruptsDeferred whole;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
  if (fd < 0) return false;
  // A write that stops part way (a full disk, a file-size limit) would
  // leave part of a block; the file is cut back to where the block began.
  struct stat before {};
  const bool sized = ::fstat(fd, &before) == 0;
  bool ok = writeAll(fd, text);
  if (!ok && sized) {
    const int cut = ::ftruncate(fd, before.st_size);
    (void)cut;  // nothing more can be done if even that fails
  }
  return (::close(fd) == 0) && ok;
}

bool fileReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool standardStreamsShareFile() {
  struct stat out {}, err {};
  if (::fstat(1, &out) != 0 || ::fstat(2, &err) != 0) return false;
  return out.st_dev == err.st_dev && out.st_ino == err.st_ino;
}

bool anyLineStartsWith(const std::string& path, const std::string& start) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, start.size(), start) == 0) return true;
  return false;
}

}  // namespace verdalis
