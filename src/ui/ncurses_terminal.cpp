// ncursesw behind the Terminal seam. Keys are read as raw bytes (keypad off)
// and decoded by KeyDecoder, so the program's own queue sees every sequence
// the terminal sends, including those its terminfo entry does not name.
// Window size changes arrive through our own SIGWINCH handler.
#include "ui/ncurses_terminal.h"

#define NCURSES_WIDECHAR 1
#include <fcntl.h>
#include <langinfo.h>
#include <malloc.h>
#include <ncurses.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <term.h>  // setupterm; its capability macros below clash with our names
#include <termios.h>
#include <unistd.h>
#undef bell
#undef cursor_visible

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "ui/glyphs.h"
#include "ui/key_decoder.h"

namespace kdv::ui {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultEscDelayMs = 50;
// xterm: save the Alt-sends-Escape setting, set it; restore it on leaving.
constexpr std::string_view kAltSendsEscapeOn = "\x1b[?1036s\x1b[?1036h";
constexpr std::string_view kAltSendsEscapeRestore = "\x1b[?1036r";

// ---------------------------------------------------------------------------
// State the signal handlers use. Everything here is written by the main
// thread only while the handlers cannot observe a half-written value.

// A byte string a signal handler may write out: the main thread fills the
// spare copy and then flips, so a handler always sees a complete one.
class SignalSafeBytes {
 public:
  void set(std::string_view s) {
    const int spare = 1 - active_.load();
    const std::size_t n = std::min(s.size(), sizeof copies_[spare].data);
    std::memcpy(copies_[spare].data, s.data(), n);
    copies_[spare].len = n;
    active_.store(spare);
  }
  void write_to(int fd) const {
    const Copy& c = copies_[active_.load()];
    std::size_t done = 0;
    while (done < c.len) {
      const ssize_t w = ::write(fd, c.data + done, c.len - done);
      if (w > 0)
        done += static_cast<std::size_t>(w);
      else if (w < 0 && errno == EINTR)
        continue;
      else
        break;  // the terminal is gone; nothing more to restore
    }
  }

 private:
  struct Copy {
    char data[512]{};
    std::size_t len = 0;
  };
  Copy copies_[2];
  std::atomic<int> active_{0};
};

// Signal-safe terminal restore state: what the signal handlers and the
// way-out paths need to put the terminal back, without the terminal object.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
std::atomic<bool> g_open{false};       // a terminal object exists
std::atomic<bool> g_screen_up{false};  // the terminal is in screen mode
int g_tty_fd = -1;                     // where the modes and bytes go
bool g_have_modes = false;
termios g_shell_modes{};
termios g_program_modes{};
SignalSafeBytes g_leave_bytes;  // back to the shell's screen
SignalSafeBytes g_enter_bytes;  // into the screen again after Ctrl-Z
int g_wake[2] = {-1, -1};       // self-pipe: a signal wakes poll()
volatile sig_atomic_t g_resized = 0;
volatile sig_atomic_t g_continued = 0;
std::terminate_handler g_previous_terminate = nullptr;
using WayOut = void (*)() noexcept;
std::atomic<WayOut> g_on_way_out{nullptr};  // Options::on_way_out
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

void way_out_cleanup() {
  if (const WayOut cleanup = g_on_way_out.load()) cleanup();
}

// Async-signal-safe: back to the shell's screen and terminal modes, once.
void leave_screen() {
  if (!g_screen_up.exchange(false)) return;
  const int saved = errno;
  g_leave_bytes.write_to(g_tty_fd);
  if (g_have_modes) tcsetattr(g_tty_fd, TCSADRAIN, &g_shell_modes);
  errno = saved;
}

void wake() {
  const int saved = errno;
  const char c = 0;
  [[maybe_unused]] const ssize_t w = ::write(g_wake[1], &c, 1);
  errno = saved;
}

void on_resize(int) {
  g_resized = 1;
  wake();
}

void on_continue(int) {
  g_continued = 1;
  wake();
}

// Ctrl-Z: leave the screen, stop, and take the screen back when continued.
void on_stop(int sig) {
  const int saved = errno;
  const bool was_up = g_screen_up.load();
  leave_screen();
  signal(sig, SIG_DFL);
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, sig);
  sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
  raise(sig);  // stops here until SIGCONT
  struct sigaction again {};
  again.sa_handler = on_stop;
  sigemptyset(&again.sa_mask);
  again.sa_flags = SA_RESTART;
  sigaction(sig, &again, nullptr);
  if (was_up) {
    if (g_have_modes) tcsetattr(g_tty_fd, TCSADRAIN, &g_program_modes);
    g_enter_bytes.write_to(g_tty_fd);
    g_screen_up.store(true);
  }
  on_continue(sig);
  errno = saved;
}

// Terminating and fatal signals: restore, then let the signal end the
// process as it would have (SA_RESETHAND put the default action back). A
// save cut short leaves no temporary file on any of these ways out.
void on_fatal(int sig) {
  way_out_cleanup();
  leave_screen();
  raise(sig);
}

void on_terminate() {
  way_out_cleanup();
  leave_screen();
  if (g_previous_terminate) g_previous_terminate();
  std::abort();
}

void on_exit() {
  way_out_cleanup();
  leave_screen();
}

constexpr int kFatalSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGSEGV,
                                 SIGBUS,  SIGFPE, SIGILL, SIGTRAP, SIGSYS};
constexpr int kScreenSignals[] = {SIGWINCH, SIGCONT, SIGTSTP};

struct SavedHandlers {
  struct sigaction old[64];
  void install_all() {
    for (int sig : kFatalSignals) install(sig, on_fatal, SA_RESETHAND | SA_NODEFER);
    install(SIGWINCH, on_resize, SA_RESTART);
    install(SIGCONT, on_continue, SA_RESTART);
    install(SIGTSTP, on_stop, SA_RESTART);
  }
  void restore_all() {
    for (int sig : kFatalSignals) sigaction(sig, &old[sig], nullptr);
    for (int sig : kScreenSignals) sigaction(sig, &old[sig], nullptr);
  }

 private:
  void install(int sig, void (*handler)(int), int flags) {
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = flags;
    sigaction(sig, nullptr, &old[sig]);
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (old[sig].sa_handler != SIG_IGN) sigaction(sig, &sa, nullptr);
  }
};

// ---------------------------------------------------------------------------

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

std::string cap(const char* name) {
  const char* s = tigetstr(name);
  return (s && s != reinterpret_cast<const char*>(-1)) ? std::string(s) : std::string();
}

// The line characters the terminal's alternate set has, by their letters.
std::string line_letters() {
  const std::string pairs = cap("acsc");  // letter, then the terminal's own character
  std::string letters;
  for (std::size_t i = 0; i < pairs.size(); i += 2) letters += pairs[i];
  return letters;
}

// A parameterised capability applied to one number; empty if it fails.
std::string param(const char* capability, int n) {
  const char* s = tiparm(capability, n);
  return s ? std::string(s) : std::string();
}

// What the terminfo database says of a terminal type. Asked before newterm,
// which keeps some memory when it fails.
enum class Description : std::uint8_t { kMissing, kNoCursorAddressing, kUsable };
Description describe(const std::string& name, int fd) {
  int error = 0;
  if (setupterm(name.c_str(), fd, &error) != OK) return Description::kMissing;
  // Without cursor addressing (TERM=dumb) every screen would come out as
  // fragments strung along one line.
  const bool addressable = !cap("cup").empty();
  del_curterm(set_curterm(nullptr));
  return addressable ? Description::kUsable : Description::kNoCursorAddressing;
}

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
  const std::string f = param(setaf.c_str(), fg), b = param(setab.c_str(), bg);
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

}  // namespace

struct NcursesTerminal::Impl {
  SCREEN* screen = nullptr;
  std::FILE* out = nullptr;  // where the screen and quit's message go
  std::string term;
  int in_fd = -1;
  bool unicode = false;
  int colours = 0;
  int escdelay = kDefaultEscDelayMs;
  SavedHandlers handlers;

  struct Glyph {
    wchar_t wc;
    attr_t attr;
  };
  struct Look {
    attr_t attr;
    short pair;
    bool hidden;  // the glyph shows as a blank
  };
  std::array<Glyph, 256> glyphs{};
  std::array<Look, 256> looks{};

  KeyDecoder decoder{false};
  std::string pending;  // key bytes not yet decoded
  Clock::time_point last_byte{};

  ScreenModel* model = nullptr;  // the model last presented, for redraws
  bool cursor_on = true;
  bool cursor_drawn = true;  // cursor_on at the last draw
  bool too_small = false;
  bool notice_up = false;

  void setup_colours();
  void join_colour_sequences(int offset);
  void setup_glyphs();
  void learn_keys();
  void update_restore_bytes();
  void check_size();
  bool service();
  void draw(ScreenModel& m);
  void show_notice();
  void read_input();
};

// Pair 0 stays the terminal's own colours: ncurses clears with it, which is
// one short sequence on any terminal, and ends each update with it. Every
// cell is drawn with a pair that names both its colours, so the picture
// never shows the terminal's defaults.
void NcursesTerminal::Impl::setup_colours() {
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
  const auto pair_of = [this, offset](int fg, int bg) {
    return static_cast<short>(offset + curses_colour(bg) * colours + curses_colour(fg));
  };
  for (int bg = 0; bg < 8 && colours; ++bg)
    for (int fg = 0; fg < colours; ++fg)
      if (pair_of(fg, bg) > 0) init_pair(pair_of(fg, bg), curses_colour(fg), curses_colour(bg));
  if (colours) join_colour_sequences(offset);
  for (int a = 0; a < 256; ++a) {
    const int fg = a & 0x0F, bg = (a >> 4) & 7;
    Look& l = looks[a];
    l = {(a & 0x80) ? A_BLINK : A_NORMAL, 0, false};
    if (colours == 16) {
      l.pair = pair_of(fg, bg);
    } else if (colours == 8 && bg == 0 && (fg & 7) == 0) {
      // Light grey on black: black text as blanks, dark grey dimmed.
      l.pair = pair_of(7, 0);
      l.attr |= (fg & 8) ? A_DIM : A_NORMAL;
      l.hidden = (fg & 8) == 0;
    } else {
      if (fg & 8) l.attr |= A_BOLD;
      if (colours == 8)
        l.pair = pair_of(fg & 7, bg);
      else if (bg)
        l.attr |= A_REVERSE;
    }
  }
}

// ncurses sends a pair's colours as two sequences (setaf, then setab) unless
// the description has set_color_pair, which it then uses for every pair but
// 0. Installs ours where it gives exactly the terminal's own two sequences
// joined, for every pair in use.
void NcursesTerminal::Impl::join_colour_sequences(int offset) {
  const std::string setaf = cap("setaf"), setab = cap("setab");
  if (setaf.empty() || setab.empty() || !cap("scp").empty()) return;
  char* const set_pair = colours == 16 ? set_pair_16 : set_pair_8;
  for (int bg = 0; bg < 8; ++bg)
    for (int fg = 0; fg < colours; ++fg) {
      const std::string joined = joined_sgr(setaf, setab, fg, bg);
      if (joined.empty() || param(set_pair, offset + bg * colours + fg) != joined) return;
    }
  char** strings = extended_strings();
  set_color_pair = set_pair;
  if (strings) strings[&set_color_pair - cur_term->type.Strings] = set_pair;
}

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

void NcursesTerminal::Impl::learn_keys() {
  const struct {
    const char* cap;
    std::uint8_t scan;
  } key_capabilities[] = {{"kcuu1", scan::kUp},    {"kcud1", scan::kDown},    {"kcub1", scan::kLeft},
              {"kcuf1", scan::kRight}, {"kdch1", scan::kDelete},  {"khome", scan::kHome},
              {"kend", scan::kEnd},    {"kpp", scan::kPageUp},      {"knp", scan::kPageDown},
              {"kich1", scan::kInsert}, {"kcbt", scan::kShiftTab}, {"kf11", scan::kF11},
              {"kf12", scan::kF12}};
  for (const auto& k : key_capabilities) decoder.learn(cap(k.cap), k.scan);
  for (int f = 1; f <= 10; ++f)
    decoder.learn(cap(("kf" + std::to_string(f)).c_str()), static_cast<std::uint8_t>(scan::kF1 + f - 1));
}

// The bytes that give the terminal back (cursor to the last line, normal
// attributes and cursor, main screen, xterm's Alt setting), and those that
// take it again after Ctrl-Z.
void NcursesTerminal::Impl::update_restore_bytes() {
  std::string leave = "\x18";  // CAN: ends an escape sequence cut off by a signal
  leave += cap("sgr0") + cap("op");
  if (const std::string cup = cap("cup"); !cup.empty()) leave += tiparm(cup.c_str(), ::LINES - 1, 0);
  leave += cap("cnorm") + cap("rmcup");
  leave += kAltSendsEscapeRestore;
  g_leave_bytes.set(leave);
  std::string enter = cap("smcup");
  enter += kAltSendsEscapeOn;
  enter += cap(cursor_on ? "cnorm" : "civis");
  g_enter_bytes.set(enter);
}

// Takes the terminal's current size (ncurses' idea of it may be stale after
// a resize) and decides whether the 80 x 25 screen fits.
void NcursesTerminal::Impl::check_size() {
  winsize ws{};
  if (ioctl(g_tty_fd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0 &&
      (ws.ws_row != ::LINES || ws.ws_col != ::COLS))
    resize_term(ws.ws_row, ws.ws_col);
  too_small = ::LINES < kdv::ui::kRows || ::COLS < kdv::ui::kColumns;
}

// Handles a window size change or a continue after a stop. True when the
// whole screen must be drawn again.
bool NcursesTerminal::Impl::service() {
  // Empty the wake-up pipe first: a byte left in it would make every later
  // poll return at once.
  char drain[64];
  while (::read(g_wake[0], drain, sizeof drain) > 0) {
  }
  if (!g_resized && !g_continued) return false;
  g_resized = 0;
  g_continued = 0;
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
      const Look& l = looks[c.attr];
      const wchar_t text[2] = {l.hidden ? L' ' : g.wc, 0};
      setcchar(&line[col - 1], text, (l.hidden ? A_NORMAL : g.attr) | l.attr, l.pair, nullptr);
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

// Reads whatever key bytes are waiting, without blocking.
void NcursesTerminal::Impl::read_input() {
  for (;;) {
    pollfd p{in_fd, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return;
    char buf[256];
    const ssize_t n = ::read(in_fd, buf, sizeof buf);
    if (n > 0) {
      pending.append(buf, static_cast<std::size_t>(n));
      last_byte = Clock::now();
      continue;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // End of input or a read error: the keyboard is gone for good.
    leave_screen();
    std::exit(1);
  }
}

// ---------------------------------------------------------------------------

NcursesTerminal::NcursesTerminal(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NcursesTerminal::Opened NcursesTerminal::open_terminal(const Options& options) {
  if (g_open.exchange(true)) return {nullptr, "a terminal is open already"};
  auto impl = std::make_unique<Impl>();
  // Only the character set comes from the environment: numbers and dates
  // keep their C form, as the receiver, the files and the report expect
  // (a decimal comma would corrupt every value sent or saved).
  std::setlocale(LC_CTYPE, "");
  impl->unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  impl->decoder = KeyDecoder(impl->unicode);
  impl->out = options.out;
  impl->in_fd = fileno(options.in);
  g_tty_fd = fileno(options.out);
  g_on_way_out = options.on_way_out;
  g_have_modes = tcgetattr(g_tty_fd, &g_shell_modes) == 0;

  if (g_wake[0] < 0 && pipe2(g_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
    g_open = false;
    return {nullptr, std::string("no pipe for signals: ") + std::strerror(errno)};
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
    const Description description = describe(name, g_tty_fd);
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
    g_open = false;
    return {nullptr, refusal};
  }
  // From here a signal finds the way back.
  impl->update_restore_bytes();
  g_screen_up = true;
  set_term(impl->screen);
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, FALSE);
  typeahead(-1);
  if (!std::getenv("ESCDELAY")) set_escdelay(kDefaultEscDelayMs);
  impl->escdelay = get_escdelay();
  if (g_have_modes) tcgetattr(g_tty_fd, &g_program_modes);

  impl->setup_colours();
  impl->setup_glyphs();
  impl->learn_keys();
  impl->check_size();
  impl->update_restore_bytes();
  const std::string_view alt = kAltSendsEscapeOn;
  [[maybe_unused]] const ssize_t w = ::write(g_tty_fd, alt.data(), alt.size());

  static bool hooks_installed = false;
  if (!hooks_installed) {
    hooks_installed = true;
    std::atexit(on_exit);
    g_previous_terminate = std::set_terminate(on_terminate);
  }
  return {std::unique_ptr<NcursesTerminal>(new NcursesTerminal(std::move(impl))), {}};
}

NcursesTerminal::~NcursesTerminal() {
  leave_screen();
  delscreen(impl_->screen);
  impl_->handlers.restore_all();
  g_resized = 0;
  g_continued = 0;
  g_open = false;
}

void NcursesTerminal::present(ScreenModel& model) {
  // Nothing to show: no system call either (the link presents before every
  // byte it receives).
  const Impl& t = *impl_;
  if (!model.changed() && &model == t.model && t.cursor_drawn == t.cursor_on && !g_resized &&
      !g_continued)
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
    t.read_input();
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
    pollfd p[2] = {{t.in_fd, POLLIN, 0}, {g_wake[0], POLLIN, 0}};
    poll(p, 2, wait_ms);
  }
}

int NcursesTerminal::input_fd() const { return impl_->pending.empty() ? impl_->in_fd : -1; }

void NcursesTerminal::sleep(unsigned ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (impl_->service() && impl_->model) impl_->draw(*impl_->model);
    const auto now = Clock::now();
    if (now >= deadline) return;
    pollfd p{g_wake[0], POLLIN, 0};
    poll(&p, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
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
int NcursesTerminal::colours() const { return impl_->colours; }
int NcursesTerminal::escape_delay_ms() const { return impl_->escdelay; }

}  // namespace kdv::ui
