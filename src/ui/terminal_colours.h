// The colours of the ncurses terminal: how each screen attribute byte is
// shown on a terminal of 16, 8 or no colours. Private to the ncurses
// terminal.
#pragma once

#include <array>
#include <cstdint>

namespace kdv::ui {

// How an attribute byte is shown: curses attributes, a colour pair, and
// whether the glyph shows as a blank.
struct CellLook {
  std::uint32_t attributes;
  short pair;
  bool hidden;
};

struct ColourSetup {
  int colours = 0;  // 16, 8, or 0 (monochrome attributes)
  std::array<CellLook, 256> looks{};
};

// Starts colour on the current screen, makes a pair for each colour
// combination in use and joins the pairs' two colour sequences into one
// where the terminal allows it.
[[nodiscard]] ColourSetup setup_colours();

}  // namespace kdv::ui
