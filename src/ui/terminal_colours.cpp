// The ncurses terminal's colours: pairs for the 16-colour text palette,
// the attribute byte's look on terminals of 16, 8 or no colours, and one
// joined colour sequence per pair where the terminal's own two join.
#include "ui/terminal_colours.h"

#define NCURSES_WIDECHAR 1
#include <malloc.h>
#include <ncurses.h>
#include <term.h>  // set_color_pair, cur_term, strnames

#include <cstring>
#include <string>

#include "ui/terminfo_checks.h"

namespace kdv::ui {

static_assert(sizeof(attr_t) <= sizeof(std::uint32_t), "a CellLook holds the curses attributes");

namespace {

// CGA colour numbers are curses colours with red and blue swapped.
short curses_colour(int cga) {
  constexpr short kBaseColours[] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                            COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};
  return static_cast<short>(kBaseColours[cga & 7] + ((cga & 8) ? 8 : 0));
}

// ncurses reads the terminal description from an extended copy that its
// TERMINAL holds after the public one, which is all term.h's capability
// macros reach. Finds that copy's string array: the one after the public
// copy, of the same sizes, holding every pointer tigetstr returns. Null
// where this ncurses keeps no such copy.
char** extended_strings() {
  const TERMTYPE& described = cur_term->type;
  const auto* bytes = reinterpret_cast<const unsigned char*>(cur_term);
  const std::size_t size = malloc_usable_size(cur_term);
  for (std::size_t at = sizeof(TERMTYPE); at + sizeof(TERMTYPE) <= size; at += alignof(TERMTYPE)) {
    TERMTYPE copy{};
    std::memcpy(&copy, bytes + at, sizeof copy);
    if (!copy.Strings || copy.num_Booleans != described.num_Booleans ||
        copy.num_Numbers != described.num_Numbers || copy.num_Strings != described.num_Strings ||
        copy.ext_Strings != described.ext_Strings)
      continue;
    bool same = true;
    for (int i = 0; same && strnames[i]; ++i) same = copy.Strings[i] == tigetstr(strnames[i]);
    if (same) return copy.Strings;
  }
  return nullptr;
}

// The terminal's colour sequence for a colour pair as ncurses sends it,
// foreground then background, joined into one SGR: ESC[93m ESC[44m gives
// ESC[93;44m. Empty unless both are plain SGR sequences.
std::string joined_sgr(const std::string& setaf, const std::string& setab, int fg, int bg) {
  const std::string f = terminfo_with_number(setaf.c_str(), fg), b = terminfo_with_number(setab.c_str(), bg);
  const auto plain = [](const std::string& s) {
    return s.size() > 3 && s.starts_with("\x1b[") && s.ends_with('m') &&
           s.find_first_not_of("0123456789;", 2) == s.size() - 1;
  };
  return plain(f) && plain(b) ? f.substr(0, f.size() - 1) + ";" + b.substr(2) : std::string();
}

// set_color_pair for the pair numbers of 16 and of 8 colours (offset + bg *
// colours + fg, in curses colours): ESC[, 3 or 9 (bright) and the
// foreground's low three bits, then ;4 and the background. Not const:
// ncurses keeps the installed one in its terminal description as char*.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
char set_pair_16[] = "\x1b[%?%p1%{1}%-%{16}%m%{7}%>%t9%e3%;%p1%{1}%-%{8}%m%d;4%p1%{1}%-%{16}%/%dm";
char set_pair_8[] = "\x1b[3%p1%{8}%m%d;4%p1%{8}%/%dm";
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

// ncurses sends a pair's colours as two sequences (setaf, then setab) unless
// the description has set_color_pair, which it then uses for every pair but
// 0. Installs ours where it gives exactly the terminal's own two sequences
// joined, for every pair in use.
void join_colour_sequences(int colours, int offset) {
  const std::string setaf = terminfo_string("setaf"), setab = terminfo_string("setab");
  if (setaf.empty() || setab.empty() || !terminfo_string("scp").empty()) return;
  char* const set_pair = colours == 16 ? set_pair_16 : set_pair_8;
  for (int bg = 0; bg < 8; ++bg)
    for (int fg = 0; fg < colours; ++fg) {
      const std::string joined = joined_sgr(setaf, setab, fg, bg);
      if (joined.empty() || terminfo_with_number(set_pair, offset + bg * colours + fg) != joined) return;
    }
  char** strings = extended_strings();
  set_color_pair = set_pair;
  if (strings) strings[&set_color_pair - cur_term->type.Strings] = set_pair;
}

}  // namespace

// Pair 0 stays the terminal's own colours: ncurses clears with it, which is
// one short sequence on any terminal, and ends each update with it. Every
// cell is drawn with a pair that names both its colours, so the picture
// never shows the terminal's defaults.
ColourSetup setup_colours() {
  ColourSetup setup;
  int& colours = setup.colours;
  if (has_colors() && start_color() != ERR) {
    use_default_colors();
    if (::COLORS >= 16 && ::COLOR_PAIRS > 128)
      colours = 16;
    else if (::COLORS >= 8 && ::COLOR_PAIRS >= 64)
      colours = 8;
  }
  // Pairs are numbered from their curses colours. With 8 colours the 63
  // pairs there are leave none for black on black.
  const int offset = colours == 16 ? 1 : 0;
  const auto pair_of = [&colours, offset](int fg, int bg) {
    return static_cast<short>(offset + curses_colour(bg) * colours + curses_colour(fg));
  };
  for (int bg = 0; bg < 8 && colours; ++bg)
    for (int fg = 0; fg < colours; ++fg)
      if (pair_of(fg, bg) > 0) init_pair(pair_of(fg, bg), curses_colour(fg), curses_colour(bg));
  if (colours) join_colour_sequences(colours, offset);
  for (int a = 0; a < 256; ++a) {
    const int fg = a & 0x0F, bg = (a >> 4) & 7;
    CellLook& l = setup.looks[a];
    l = {static_cast<std::uint32_t>((a & 0x80) ? A_BLINK : A_NORMAL), 0, false};
    if (colours == 16) {
      l.pair = pair_of(fg, bg);
    } else if (colours == 8 && bg == 0 && (fg & 7) == 0) {
      // Light grey on black: black text as blanks, dark grey dimmed.
      l.pair = pair_of(7, 0);
      l.attributes |= (fg & 8) ? A_DIM : A_NORMAL;
      l.hidden = (fg & 8) == 0;
    } else {
      if (fg & 8) l.attributes |= A_BOLD;
      if (colours == 8)
        l.pair = pair_of(fg & 7, bg);
      else if (bg)
        l.attributes |= A_REVERSE;
    }
  }
  return setup;
}

}  // namespace kdv::ui
