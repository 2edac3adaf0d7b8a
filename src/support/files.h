#pragma once
// Writing result files without leaving half-written ones behind.
#include <fstream>
#include <string>

namespace verdalis {

// A file that replaces path only once it is complete: the text goes to a
// temporary file in the same folder, which commit() renames over path. A
// reader, or an interrupted run, never finds a truncated file under the final
// name. Without a successful commit the temporary file is removed and path is
// left as it was.
class wholeFileWriter {
 public:
  explicit wholeFileWriter(const std::string& path);
  ~wholeFileWriter();
  wholeFileWriter(const wholeFileWriter&) = delete;
  wholeFileWriter& operator=(const wholeFileWriter&) = delete;

  // False when the temporary file could not be created; nothing may be
  // written then.
  bool isOpen() const { return open_; }
  // The stream of the temporary file, in the classic locale.
  std::ostream& out() { return stream_; }
  // Completes the file; false when writing or renaming failed.
  bool commit();

 private:
  std::string path_;
  std::string temporary_;
  std::ofstream stream_;
  bool open_ = false;
  bool committed_ = false;
  int interruptSlot_ = -1;  // lets an interrupt remove the temporary file
};

// Replaces the whole content of path with text, as wholeFileWriter does.
bool writeWholeFile(const std::string& path, const std::string& text);

// Appends text to path (created when missing) with one write of the whole
// text, so that the block of one run is never split or interleaved. Returns
// false when the file cannot be opened or the text cannot be written.
bool appendToFile(const std::string& path, const std::string& text);

// Whether path can be opened for reading.
bool fileReadable(const std::string& path);

// Whether standard output and standard error lead to the same file: a
// terminal that shows both, or one file that takes both.
bool standardStreamsShareFile();

// Whether a line of path begins with start (false when path cannot be read).
bool anyLineStartsWith(const std::string& path, const std::string& start);

}  // namespace verdalis
