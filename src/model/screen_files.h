// Reading the screen definition files without a screen: the file itself
// (regular files only), its lines, and the message table. The console's menu
// screens are read on top of these.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <streambuf>
#include <string>

namespace globals {

// A screen definition file open for reading, if it is a regular file. The
// open does not wait (a FIFO without a writer would block it), and a
// directory, FIFO or device is not opened at all.
class ScreenFile : public std::streambuf {
 public:
  explicit ScreenFile(const std::filesystem::path& path);
  ~ScreenFile() override;
  ScreenFile(const ScreenFile&) = delete;
  ScreenFile& operator=(const ScreenFile&) = delete;

  bool is_open() const { return fd_ >= 0; }

 private:
  // A read error ends the file like its end.
  int_type underflow() override;

  int fd_;
  char buffer_[4096]{};
};

// Lines of a text file, numbered from 1; a DOS line end loses its CR. Only
// the characters a line is read for are stored: the rest of an overlong
// line is passed over.
class LineReader {
 public:
  explicit LineReader(std::istream& in) : in_(in) {}

  bool next(std::string& line, std::size_t keep);
  int number() const { return number_; }

 private:
  std::istream& in_;
  int number_ = 0;
};

// Reads up to 100 message lines into MESSAGE; missing lines leave empty
// messages.
void READ_MESSAGES(std::istream& in);

}  // namespace globals
