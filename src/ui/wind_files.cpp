// Loading the two screen definition files: the message table and the ten
// menu screens. The screen file has no header and no separators, so every
// line is read in its fixed place; a file outside the limits the menus rely
// on is refused with its line number rather than drawn half-broken.
#include <algorithm>
#include <istream>
#include <string>

#include "model/globals.h"
#include "model/screen_files.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace wind {

using globals::LineReader;
using globals::ScreenFile;

namespace {

// A number line is looked at this far: room for blanks before the number
// and for all its digits.
constexpr std::size_t NUMBER_LINE_KEPT = 255;

// Reads one screen into s. Returns a fault, or nothing when the screen is
// complete and within the limits.
class ScreenParser {
 public:
  ScreenParser(LineReader& lines, int screen) : lines_(lines), screen_(screen) {}

  std::optional<LOAD_FAULT> parse(SCRN& s) {
    if (!number(s.MAXX, 1, 2, "the number of columns must be 1 or 2")) return fault_;
    Indexed<int, 1, 2> maxy_line{};
    for (int i = 1; i <= s.MAXX; ++i) {
      if (!number(s.MAXY[i], 1, 14, "the number of rows must be 1 to 14")) return fault_;
      maxy_line[i] = lines_.number();
    }
    for (int i = 1; i <= s.MAXX; ++i) {
      bool selectable = false;
      for (int j = 1; j <= s.MAXY[i]; ++j) {
        MENUELEMENT& c = s.CELL[i][j];
        if (!text(c.TITLE) || !number(c.XPOS, 1, 80, "the column must be 1 to 80") ||
            !number(c.YPOS, 1, 25, "the row must be 1 to 25") || !text(c.HSTR1) ||
            !text(c.HSTR2))
          return fault_;
        selectable = selectable || !INERT(c);
      }
      if (!selectable)
        return LOAD_FAULT{maxy_line[i], "every cell of column " + std::to_string(i) + " of screen " +
                                            std::to_string(screen_) + " is inert"};
    }
    return std::nullopt;
  }

 private:
  bool line(std::string& out, std::size_t keep) {
    if (lines_.next(out, keep)) return true;
    fault_ = LOAD_FAULT{lines_.number() + 1,
                        "the file ends before screen " + std::to_string(screen_) + " is complete"};
    return false;
  }

  template <std::size_t N>
  bool text(Text<N>& field) {
    std::string l;
    if (!line(l, N)) return false;
    field = l;
    return true;
  }

  // An unsigned number at the start of the line (blanks before it skipped,
  // the rest of the line ignored), within lo..hi.
  bool number(byte& field, int lo, int hi, const char* range_reason) {
    std::string l;
    if (!line(l, NUMBER_LINE_KEPT)) return false;
    std::size_t p = l.find_first_not_of(" \t");
    if (p == std::string::npos || l[p] < '0' || l[p] > '9') {
      fault_ = LOAD_FAULT{lines_.number(), "a number is expected"};
      return false;
    }
    int value = 0;
    for (; p < l.size() && l[p] >= '0' && l[p] <= '9'; ++p) value = std::min(value * 10 + (l[p] - '0'), 1000);
    if (value < lo || value > hi) {
      fault_ = LOAD_FAULT{lines_.number(), range_reason};
      return false;
    }
    field = static_cast<byte>(value);
    return true;
  }

  LineReader& lines_;
  int screen_;
  LOAD_FAULT fault_;
};

std::string refusal(std::string_view file, const LOAD_FAULT& f) {
  return "\n ERROR IN FILE :- \"" + std::string(file) + "\" LINE " + std::to_string(f.line) + ": " +
         f.reason + "\n";
}

}  // namespace

std::optional<LOAD_FAULT> READ_SCREENS(std::istream& in, SCREENS& screens) {
  LineReader lines(in);
  SCREENS loaded{};
  for (int s = 1; s <= NO_OF_SCREENS; ++s) {
    if (auto fault = ScreenParser(lines, s).parse(loaded[s])) return fault;
  }
  screens = loaded;
  return std::nullopt;
}

void INITWIND(const std::filesystem::path& dir) {
  XCUR = 1;
  YCUR = 1;
  globals::ONLINE = true;

  {
    ScreenFile messages(dir / "mess578.scn");
    if (!messages.is_open()) crt::Quit(0, "\n  ERROR LOADING FILE :- \"MESS578.SCN\" NOT FOUND\n");
    std::istream in(&messages);
    READ_MESSAGES(in);
  }
  ScreenFile screens(dir / "conf578.scn");
  if (!screens.is_open()) crt::Quit(0, "\n ERROR LOADING FILE :- \"CONF578.SCN\" NOT FOUND\n");
  std::istream in(&screens);
  if (auto fault = READ_SCREENS(in, SCREEN)) crt::Quit(0, refusal("CONF578.SCN", *fault));
}

}  // namespace wind
