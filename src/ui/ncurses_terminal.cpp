// ncursesw behind the Terminal seam. Keys are read as raw bytes (keypad off)
// and decoded by KeyDecoder, so the program's own queue sees every sequence
// the terminal sends, including those its terminfo entry does not name.
// Window size changes arrive through our own SIGWINCH handler. The signals,
// the terminfo look-ups, the colours and the key input have their own files.
#include "ui/ncurses_terminal.h"

#define NCURSES_WIDECHAR 1
#include <langinfo.h>
#include <ncurses.h>
#include <sys/ioctl.h>
#include <unistd.h>
#undef bell
#undef cursor_visible

#include <array>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "ui/glyphs.h"
#include "ui/key_decoder.h"
#include "ui/terminal_colours.h"
#include "ui/terminal_input.h"
#include "ui/terminal_signals.h"
#include "ui/terminfo_checks.h"

namespace kdv::ui {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultEscDelayMs = 50;
// xterm: save the Alt-sends-Escape setting, set it; restore it on leaving.
constexpr std::string_view kAltSendsEscapeOn = "\x1b[?1036s\x1b[?1036h";
constexpr std::string_view kAltSendsEscapeRestore = "\x1b[?1036r";

// The character that names a line character in a terminal description's
// alternate set (the VT100's: "l" the upper left corner, "q" the
// horizontal line, ...).
char acs_letter(kdv::ui::Acs a) {
  using kdv::ui::Acs;
  switch (a) {
    case Acs::kUpperLeftCorner: return 'l';
    case Acs::kUpperRightCorner: return 'k';
    case Acs::kLowerLeftCorner: return 'm';
    case Acs::kLowerRightCorner: return 'j';
    case Acs::kLeftTee: return 't';
    case Acs::kRightTee: return 'u';
    case Acs::kTopTee: return 'w';
    case Acs::kBottomTee: return 'v';
    case Acs::kPlus: return 'n';
    case Acs::kHorizontalLine: return 'q';
    case Acs::kVerticalLine: return 'x';
    case Acs::kCheckerBoard: return 'a';
    case Acs::kBlock: return '0';
    case Acs::kDegree: return 'f';
    case Acs::kPlusMinus: return 'g';
    case Acs::kBullet: return '~';
    case Acs::kDiamond: return '`';
    case Acs::kLessEqual: return 'y';
    case Acs::kGreaterEqual: return 'z';
    case Acs::kPi: return '{';
    case Acs::kSterling: return '}';
    case Acs::kUpArrow: return '-';
    case Acs::kDownArrow: return '.';
    case Acs::kLeftArrow: return ',';
    case Acs::kRightArrow: return '+';
    case Acs::kNone: break;
  }
  return 0;
}

// Whether the locale can encode c and the terminal shows it one cell wide.
bool can_show(char32_t c) {
  char buf[MB_LEN_MAX];
  std::mbstate_t state{};
  return std::wcrtomb(buf, static_cast<wchar_t>(c), &state) != static_cast<std::size_t>(-1) &&
         wcwidth(static_cast<wchar_t>(c)) == 1;
}

}  // namespace

struct NcursesTerminal::Impl {
  SCREEN* screen = nullptr;
  std::FILE* out = nullptr;  // where the screen and quit's message go
  std::string term;
  int in_fd = -1;
  bool unicode = false;
  ColourSetup colour;  // the colour count and each attribute byte's look
  int escdelay = kDefaultEscDelayMs;
  SignalHandlers handlers;

  struct Glyph {
    wchar_t wc;
    attr_t attr;
  };
  std::array<Glyph, 256> glyphs{};

  KeyDecoder decoder{false};
  std::string pending;  // key bytes not yet decoded
  Clock::time_point last_byte{};

  ScreenModel* model = nullptr;  // the model last presented, for redraws
  bool cursor_on = true;
  bool cursor_drawn = true;  // cursor_on at the last draw
  bool too_small = false;
  bool notice_up = false;

  void setup_glyphs();
  void update_restore_bytes();
  void check_size();
  bool service();
  void draw(ScreenModel& m);
  void show_notice();
};

void NcursesTerminal::Impl::setup_glyphs() {
  const std::string letters = line_letters();
  for (int b = 0; b < 256; ++b) {
    const kdv::ui::Glyph g = kdv::ui::render(static_cast<std::uint8_t>(b), can_show);
    switch (g.kind) {
      case kdv::ui::Glyph::kUnicode: glyphs[b] = {static_cast<wchar_t>(g.unicode), A_NORMAL}; break;
      case kdv::ui::Glyph::kAcs: {
        // Where the terminal's alternate set lacks the line character,
        // curses would put in a guess of its own: the glyph's ASCII
        // look-alike instead.
        const char letter = acs_letter(g.acs);
        if (letters.find(letter) == std::string::npos) {
          glyphs[b] = {static_cast<wchar_t>(kdv::ui::kAsciiTable[b]), A_NORMAL};
          break;
        }
        const chtype c = NCURSES_ACS(letter);
        glyphs[b] = {static_cast<wchar_t>(c & A_CHARTEXT), static_cast<attr_t>(c & A_ATTRIBUTES)};
        break;
      }
      case kdv::ui::Glyph::kAscii: glyphs[b] = {static_cast<wchar_t>(g.ascii), A_NORMAL}; break;
    }
  }
}

// The bytes that give the terminal back (cursor to the last line, normal
// attributes and cursor, main screen, xterm's Alt setting), and those that
// take it again after Ctrl-Z.
void NcursesTerminal::Impl::update_restore_bytes() {
  std::string leave = "\x18";  // CAN: ends an escape sequence cut off by a signal
  leave += terminfo_string("sgr0") + terminfo_string("op");
  if (const std::string cup = terminfo_string("cup"); !cup.empty()) leave += tiparm(cup.c_str(), ::LINES - 1, 0);
  leave += terminfo_string("cnorm") + terminfo_string("rmcup");
  leave += kAltSendsEscapeRestore;
  set_leave_bytes(leave);
  std::string enter = terminfo_string("smcup");
  enter += kAltSendsEscapeOn;
  enter += terminfo_string(cursor_on ? "cnorm" : "civis");
  set_enter_bytes(enter);
}

// Takes the terminal's current size (ncurses' idea of it may be stale after
// a resize) and decides whether the 80 x 25 screen fits.
void NcursesTerminal::Impl::check_size() {
  winsize ws{};
  if (ioctl(tty_fd(), TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0 &&
      (ws.ws_row != ::LINES || ws.ws_col != ::COLS))
    resize_term(ws.ws_row, ws.ws_col);
  too_small = ::LINES < kdv::ui::kRows || ::COLS < kdv::ui::kColumns;
}

// Handles a window size change or a continue after a stop. True when the
// whole screen must be drawn again.
bool NcursesTerminal::Impl::service() {
  // The wake-up pipe is emptied first.
  drain_wake_pipe();
  if (!screen_event_pending()) return false;
  clear_screen_events();
  check_size();
  update_restore_bytes();
  clearok(curscr, TRUE);
  notice_up = false;
  if (model) model->mark_all_dirty();
  return true;
}

void NcursesTerminal::Impl::show_notice() {
  werase(stdscr);  // in the terminal's own colours, like the text
  const std::string text = "Please enlarge this terminal to at least 80 x 25 (now " +
                           std::to_string(::COLS) + " x " + std::to_string(::LINES) + ").";
  mvwaddnstr(stdscr, 0, 0, text.c_str(), -1);
  wnoutrefresh(stdscr);
  doupdate();
  notice_up = true;
}

void NcursesTerminal::Impl::draw(ScreenModel& m) {
  model = &m;
  if (too_small) {
    if (!notice_up) show_notice();
    return;  // the model keeps its changes until it can be shown
  }
  if (notice_up) {
    notice_up = false;
    clearok(curscr, TRUE);
    m.mark_all_dirty();
  }
  std::array<cchar_t, kdv::ui::kColumns> line{};
  for (int row = 1; row <= kdv::ui::kRows; ++row) {
    if (!m.row_dirty(row)) continue;
    for (int col = 1; col <= kdv::ui::kColumns; ++col) {
      const Cell c = m.cell(col, row);
      const Glyph& g = glyphs[c.ch];
      const CellLook& l = colour.looks[c.attr];
      const wchar_t text[2] = {l.hidden ? L' ' : g.wc, 0};
      setcchar(&line[col - 1], text, (l.hidden ? A_NORMAL : g.attr) | static_cast<attr_t>(l.attributes), l.pair, nullptr);
    }
    mvwadd_wchnstr(stdscr, row - 1, 0, line.data(), kdv::ui::kColumns);
  }
  m.clear_dirty();
  leaveok(stdscr, cursor_on ? FALSE : TRUE);
  cursor_drawn = cursor_on;
  if (cursor_on) wmove(stdscr, m.win_top() + m.where_y() - 2, m.win_left() + m.where_x() - 2);
  wnoutrefresh(stdscr);
  doupdate();
}

NcursesTerminal::NcursesTerminal(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NcursesTerminal::Opened NcursesTerminal::open_terminal(const Options& options) {
  if (!claim_terminal()) return {nullptr, "a terminal is open already"};
  auto impl = std::make_unique<Impl>();
  // Only the character set comes from the environment: numbers and dates
  // keep their C form, as the receiver, the files and the report expect
  // (a decimal comma would corrupt every value sent or saved).
  std::setlocale(LC_CTYPE, "");
  impl->unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  impl->decoder = KeyDecoder(impl->unicode);
  impl->out = options.out;
  impl->in_fd = fileno(options.in);
  take_tty(fileno(options.out), options.on_way_out);

  if (const std::string failure = open_wake_pipe(); !failure.empty()) {
    release_terminal();
    return {nullptr, "no pipe for signals: " + failure};
  }
  // Our handlers go in before newterm, which then leaves these signals alone.
  impl->handlers.install_all();

  std::vector<std::string> candidates;
  if (options.term && *options.term)
    candidates.emplace_back(options.term);
  else if (const char* t = std::getenv("TERM"); t && *t)
    candidates.emplace_back(t);
  candidates.emplace_back("xterm");
  candidates.emplace_back("ansi");
  std::string refusal = "no terminal description found";
  for (const std::string& name : candidates) {
    const Description description = describe(name, tty_fd());
    if (description == Description::kMissing) continue;
    if (description == Description::kNoCursorAddressing) {
      refusal = "it cannot move the cursor; set TERM to the terminal's own type";
      break;
    }
    impl->screen = newterm(name.c_str(), options.out, options.in);
    if (impl->screen) {
      impl->term = name;
      break;
    }
  }
  if (!impl->screen) {
    impl->handlers.restore_all();
    release_terminal();
    return {nullptr, refusal};
  }
  // From here a signal finds the way back.
  impl->update_restore_bytes();
  screen_is_up();
  set_term(impl->screen);
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, FALSE);
  typeahead(-1);
  if (!std::getenv("ESCDELAY")) set_escdelay(kDefaultEscDelayMs);
  impl->escdelay = get_escdelay();
  save_program_modes();

  impl->colour = setup_colours();
  impl->setup_glyphs();
  learn_keys(impl->decoder);
  impl->check_size();
  impl->update_restore_bytes();
  const std::string_view alt = kAltSendsEscapeOn;
  [[maybe_unused]] const ssize_t w = ::write(tty_fd(), alt.data(), alt.size());

  install_exit_hooks();
  return {std::unique_ptr<NcursesTerminal>(new NcursesTerminal(std::move(impl))), {}};
}

NcursesTerminal::~NcursesTerminal() {
  leave_screen();
  delscreen(impl_->screen);
  impl_->handlers.restore_all();
  clear_screen_events();
  release_terminal();
}

void NcursesTerminal::present(ScreenModel& model) {
  // Nothing to show: no system call either (the link presents before every
  // byte it receives).
  const Impl& t = *impl_;
  if (!model.changed() && &model == t.model && t.cursor_drawn == t.cursor_on && !screen_event_pending())
    return;
  impl_->service();
  impl_->draw(model);
}

void NcursesTerminal::fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) {
  Impl& t = *impl_;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  const auto escdelay = std::chrono::milliseconds(t.escdelay);
  std::vector<std::uint8_t> codes;
  for (;;) {
    if (t.service() && t.model) t.draw(*t.model);
    read_waiting_bytes(t.in_fd, t.pending, t.last_byte);
    const auto now = Clock::now();
    const bool settled = now >= t.last_byte + escdelay;
    t.pending.erase(0, t.decoder.decode(t.pending, !settled, codes));
    // Keys typed while the screen cannot be shown would act blind.
    if (t.too_small) codes.clear();
    if (!codes.empty()) {
      queue.insert(queue.end(), codes.begin(), codes.end());
      return;
    }
    // Wait for input, a signal, the end of an Escape sequence's grace time
    // (even past the caller's deadline: a lone Escape must register), or
    // the deadline.
    int wait_ms = -1;
    if (!t.pending.empty())
      wait_ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(t.last_byte + escdelay - now).count());
    else if (timeout_ms >= 0) {
      if (now >= deadline) return;
      wait_ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count());
    }
    wait_for_input(t.in_fd, wake_fd(), wait_ms);
  }
}

int NcursesTerminal::input_fd() const { return impl_->pending.empty() ? impl_->in_fd : -1; }

void NcursesTerminal::sleep(unsigned ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (impl_->service() && impl_->model) impl_->draw(*impl_->model);
    const auto now = Clock::now();
    if (now >= deadline) return;
    wait_for_input(-1, wake_fd(), static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
  }
}

void NcursesTerminal::bell() { beep(); }

void NcursesTerminal::cursor_visible(bool visible) {
  impl_->cursor_on = visible;
  curs_set(visible ? 1 : 0);
  impl_->update_restore_bytes();
}

void NcursesTerminal::quit(int code, std::string_view message) {
  leave_screen();
  std::FILE* out = impl_->out;
  if (!message.empty()) {
    std::fwrite(message.data(), 1, message.size(), out);
    if (message.back() != '\n') std::fputc('\n', out);
  }
  std::fflush(out);
  std::exit(code);
}

const char* NcursesTerminal::term_name() const { return impl_->term.c_str(); }
bool NcursesTerminal::unicode() const { return impl_->unicode; }
int NcursesTerminal::colours() const { return impl_->colour.colours; }
int NcursesTerminal::escape_delay_ms() const { return impl_->escdelay; }

}  // namespace kdv::ui
