// Reading the screen definition files without a screen: the file itself
// (regular files only), its lines, the message table and the menu screens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <streambuf>
#include <string>

#include "model/indexed.h"
#include "model/text.h"

namespace kdv::model {

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

// The message table: 100 lines of at most 19 characters.
using MESSAGES = Indexed<Text<19>, 1, 100>;

// Reads up to 100 message lines into messages; missing lines leave empty
// messages.
void read_messages(std::istream& in, MESSAGES& messages);

// ---- Menu screens ----------------------------------------------------------

// One menu cell: its label, screen position and two help lines.
struct MenuCell {
  Text<15> label;
  Byte x = 0;
  Byte y = 0;
  Text<30> help_line1;  // "##" marks an inert cell (heading, spacer, display line)
  Text<30> help_line2;
};

// One menu screen of at most two columns of at most fourteen cells.
struct MenuScreen {
  Indexed<Indexed<MenuCell, 1, 14>, 1, 2> cells{};
  Byte column_count = 0;
  Indexed<Byte, 1, 2> row_count{};
};

inline constexpr int kScreenCount = 10;
using MenuScreens = Indexed<MenuScreen, 1, kScreenCount>;

// True for a cell the cursor never lands on.
inline bool is_inert(const MenuCell& cell) { return cell.help_line1 == "##"; }

// Why a screen definition file was refused, and on which line (1-based).
struct LoadFault {
  int line = 0;
  std::string reason;
};

// Reads the ten menu screens. On success fills screens and returns nothing;
// a file outside the limits is refused and screens stays as it was.
std::optional<LoadFault> read_screens(std::istream& in, MenuScreens& screens);

}  // namespace kdv::model
