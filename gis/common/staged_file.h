#pragma once
// An output file that appears under its name only once it is complete.
// Whatever writes it (a text stream, GDAL, cairo) writes to temporaryPath();
// commit() renames that over the final path. Without a commit the temporary
// file, and the side files SQLite may leave beside it, are removed, so a
// failure never leaves a partial file and never touches an earlier one; an
// interrupt (SIGINT, SIGTERM) removes the temporary file too, through the
// core's interrupt handlers.
#include <string>
#include <vector>

namespace verdalis::gis {

class stagedFile {
 public:
  explicit stagedFile(const std::string& path);
  ~stagedFile();
  stagedFile(const stagedFile&) = delete;
  stagedFile& operator=(const stagedFile&) = delete;

  const std::string& path() const { return path_; }
  const std::string& temporaryPath() const { return temporary_; }
  // Moves the finished file into place; throws an input/output failure when
  // the rename fails.
  void commit();

 private:
  std::string path_;
  std::string temporary_;
  bool committed_ = false;
  int interruptSlot_ = -1;
};

// Fails with a clear message when one of the paths cannot be written later:
// its folder is missing, or the file exists and is read-only. Checked before
// long work; empty names (outputs not asked for) are passed over.
void checkWritable(const std::vector<std::string>& paths);

// Writes the whole of text to target's temporary file; an input/output
// failure names the file when the text cannot be written (a full disk).
void writeStagedText(const stagedFile& target, const std::string& text);

}  // namespace verdalis::gis
