// The real terminal on a pseudo-terminal: what reaches the screen, what the
// keyboard gives, and that the terminal is given back on every way out.
#include "ui/ncurses_terminal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <exception>
#include <functional>
#include <sstream>

#include "support/fresh_process.h"
#include "support/pty.h"
#include "ui/console.h"

namespace {

using testpty::Pty;

constexpr std::string_view kLeaveAltScreen = "\x1b[?1049l";
constexpr std::string_view kAltRestored = "\x1b[?1036r";

class RealTerminal : public FreshProcess {
 protected:
  void TearDown() override {
    terminal.reset();
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
  }

  void open(const char* term, const char* locale) {
    setenv("LC_ALL", locale, 1);
    out = fdopen(dup(pty.slave()), "w");
    in = fdopen(dup(pty.slave()), "r");
    terminal = kdv::ui::NcursesTerminal::open_terminal({out, in, term}).terminal;
    ASSERT_NE(terminal, nullptr);
    pty.read();  // the terminal set-up
  }

  // A blue screen with yellow text: frame corners and lines, the unit signs
  // and a blinking red word.
  void draw_sample() {
    model.text_background(1);
    model.text_colour(14);
    model.clear_window();
    model.write_text("\xC9\xCD\xBB \xF8" "C \xEA \xFB ");
    model.text_colour(4 + 128);
    model.write_text("alarm");
  }

  Pty pty;
  std::FILE* out = nullptr;
  std::FILE* in = nullptr;
  std::unique_ptr<kdv::ui::NcursesTerminal> terminal;
  kdv::ui::ScreenModel model;
};

TEST_F(RealTerminal, Utf8GlyphsAndSixteenColours) {
  open("xterm-256color", "C.UTF-8");
  EXPECT_TRUE(terminal->unicode());
  EXPECT_EQ(terminal->colours(), 16);
  draw_sample();
  terminal->present(model);
  const std::string screen = pty.read();
  EXPECT_NE(screen.find("╔═╗ °C Ω √"), std::string::npos);
  EXPECT_NE(screen.find("\x1b[93;44m"), std::string::npos);  // yellow on blue
  EXPECT_NE(screen.find("5m\x1b[31;44malarm"), std::string::npos);  // blinking red
}

// What of the terminal's output relies on the terminal's own colours (a
// character or an erase of cells made while SGR left a colour at its
// default, or a clear of the whole screen made in a colour), and each
// colour change made in two sequences.
std::string default_colour_uses(std::string_view out) {
  std::string uses;
  bool fg = false, bg = false;  // named by the last SGR codes
  std::size_t colour_end = 0;   // just after the last SGR naming a colour
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] != '\x1b') {
      if (static_cast<unsigned char>(out[i]) >= ' ' && !(fg && bg)) uses += out[i];
      continue;
    }
    if (out.substr(i + 1, 1) != "[") {
      i += out.find_first_of("()", i + 1) == i + 1 ? 2 : 1;  // a character set, a keypad mode
      continue;
    }
    const std::size_t start = i;
    const std::size_t end = out.find_first_not_of("0123456789;?", i + 2);
    const std::string params(out.substr(i + 2, end - i - 2));
    i = end;
    // The whole screen: ESC[2J, or ESC[J right after the cursor went home.
    if (out[end] == 'J' && (params == "2" || (params.empty() && start >= 3 && out.substr(start - 3, 3) == "\x1b[H"))) {
      if (fg || bg) uses += "<clear in colour>";
    } else if ((out[end] == 'J' || out[end] == 'X' || out[end] == 'K') && !(fg && bg)) {
      uses += "<erase>";
    } else if (out[end] == 'm') {
      std::istringstream codes(params.empty() ? "0" : params);
      bool colour = false;
      for (std::string code; std::getline(codes, code, ';');) {
        const int n = code.empty() ? 0 : std::stoi(code);
        const bool names_fg = (n >= 30 && n <= 37) || (n >= 90 && n <= 97);
        const bool names_bg = (n >= 40 && n <= 47) || (n >= 100 && n <= 107);
        colour = colour || names_fg || names_bg;
        fg = n != 0 && n != 39 && (fg || names_fg);
        bg = n != 0 && n != 49 && (bg || names_bg);
      }
      if (colour && colour_end == start) uses += "<two sequences>";
      if (colour) colour_end = end + 1;
    }
  }
  return uses;
}

TEST_F(RealTerminal, EveryCellNamesItsColoursOnTheFirstScreenAndAfterAResize) {
  const struct {
    const char* term;
    const char* locale;
    std::string black_on_black;  // how a black word on black shows
  } cases[] = {{"xterm-256color", "C.UTF-8", "\x1b[30;40munseen"},
               {"tmux-256color", "C.UTF-8", "\x1b[30;40munseen"},
               {"xterm", "C", "\x1b[37;40m      \x1b"},
               {"screen", "C", "\x1b[37;40m      \x1b"},
               {"linux", "C", "\x1b[37;40m      \x1b"}};
  for (const auto& c : cases) {
    open(c.term, c.locale);
    draw_sample();
    model.text_background(0);
    model.text_colour(0);
    model.write_text("unseen");
    terminal->present(model);
    const std::string first = pty.read();
    EXPECT_EQ(default_colour_uses(first), "") << c.term;
    EXPECT_NE(first.find(c.black_on_black), std::string::npos) << c.term;
    raise(SIGWINCH);
    terminal->present(model);
    EXPECT_EQ(default_colour_uses(pty.read()), "") << c.term;
    terminal.reset();
  }
}

TEST_F(RealTerminal, TakesOnlyTheCharacterSetFromTheLocale) {
  open("xterm-256color", "C.UTF-8");  // LC_ALL
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST_F(RealTerminal, OnlyWhatChangedIsSent) {
  open("xterm-256color", "C.UTF-8");
  draw_sample();
  terminal->present(model);
  pty.read();
  terminal->present(model);
  EXPECT_EQ(pty.read(), "");
  model.go_to_xy(1, 10);
  model.write_text("line");
  terminal->present(model);
  const std::string change = pty.read();
  EXPECT_NE(change.find("line"), std::string::npos);
  EXPECT_LT(change.size(), 80u);  // one row's worth, not a screen
}

TEST_F(RealTerminal, EightColoursAndLineCharactersWithoutUtf8) {
  open("xterm", "C");
  EXPECT_FALSE(terminal->unicode());
  EXPECT_EQ(terminal->colours(), 8);
  draw_sample();
  terminal->present(model);
  const std::string screen = pty.read();
  EXPECT_NE(screen.find("\x1b(0\x1b[0;1m\x1b[33;44mlqk"), std::string::npos);  // bold yellow lines
  EXPECT_NE(screen.find("\x1b(0\x1b[0;1m\x1b[33;44mf"), std::string::npos);    // ACS degree
  EXPECT_NE(screen.find("C O V "), std::string::npos);
}

TEST_F(RealTerminal, LineCharactersTheTerminalLacksFallBackToAscii) {
  open("sun", "C");  // no alternate character set at all
  draw_sample();
  terminal->present(model);
  const std::string screen = pty.read();
  EXPECT_NE(screen.find("+-+ oC O V "), std::string::npos) << screen;
}

TEST_F(RealTerminal, UnknownTerminalTypeFallsBackToXterm) {
  open("no-such-terminal", "C");
  EXPECT_STREQ(terminal->term_name(), "xterm");
}

TEST_F(RealTerminal, KeysArriveInTheTwoCodeForm) {
  open("xterm", "C.UTF-8");
  kdv::ui::install_terminal(terminal.get());
  pty.type("\x1b[A\x1bx\x1b[3~\xc2\xb0");
  EXPECT_EQ(kdv::ui::read_key(), 0);
  EXPECT_TRUE(kdv::ui::key_pressed());
  EXPECT_EQ(kdv::ui::read_key(), 72);
  const std::uint8_t rest[] = {0, 45, 0, 0x53, 0xF8};
  for (std::uint8_t k : rest) EXPECT_EQ(kdv::ui::read_key(), k);
  EXPECT_FALSE(kdv::ui::key_pressed());

  pty.type("\x1b");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(kdv::ui::read_key(), 27);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(terminal->escape_delay_ms()));
  EXPECT_LT(waited, std::chrono::milliseconds(1000));
  kdv::ui::install_terminal(nullptr);
}

TEST_F(RealTerminal, TooSmallShowsANoticeThenEverythingOnceLargeEnough) {
  open("xterm-256color", "C.UTF-8");
  draw_sample();
  terminal->present(model);
  pty.read();

  pty.resize(24, 80);
  raise(SIGWINCH);
  terminal->present(model);
  EXPECT_NE(pty.read().find("Please enlarge this terminal to at least 80 x 25 (now 80 x 24)."),
            std::string::npos);
  model.go_to_xy(1, 12);
  model.write_text("meanwhile");
  terminal->present(model);
  pty.type("\r");  // typed blind: ignored
  std::deque<std::uint8_t> keys;
  terminal->fetch_keys(keys, 100);
  EXPECT_TRUE(keys.empty());

  pty.resize(25, 80);
  raise(SIGWINCH);
  terminal->fetch_keys(keys, 0);  // a wait redraws at once
  const std::string redrawn = pty.read();
  EXPECT_NE(redrawn.find("╔═╗"), std::string::npos);
  EXPECT_NE(redrawn.find("meanwhile"), std::string::npos);
}

// Starts body in a child process that has the real terminal open on the pty
// with one word drawn.
pid_t spawn(Pty& pty, const std::function<void(kdv::ui::NcursesTerminal&)>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);  // a job of its own, so that it can be stopped
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    setenv("LC_ALL", "C.UTF-8", 1);
    auto t = kdv::ui::NcursesTerminal::open_terminal(
        {fdopen(dup(pty.slave()), "w"), fdopen(dup(pty.slave()), "r"), "xterm-256color"}).terminal;
    kdv::ui::ScreenModel m;
    m.write_text("drawn");
    t->present(m);
    body(*t);
    _exit(99);
  }
  return pid;
}

int in_child(Pty& pty, const std::function<void(kdv::ui::NcursesTerminal&)>& body) {
  int status = 0;
  waitpid(spawn(pty, body), &status, 0);
  return status;
}

bool shell_modes_back(const Pty& pty) {
  termios t{};
  tcgetattr(pty.slave(), &t);
  return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}

TEST(RealTerminalRestore, SignalsRestoreThenEndTheProcessAsUsual) {
  for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV}) {
    Pty pty;
    const int status = in_child(pty, [sig](kdv::ui::NcursesTerminal&) { raise(sig); });
    ASSERT_TRUE(WIFSIGNALED(status)) << sig;
    EXPECT_EQ(WTERMSIG(status), sig);
    const std::string screen = pty.read();
    EXPECT_NE(screen.find("drawn"), std::string::npos) << sig;
    EXPECT_NE(screen.find(kLeaveAltScreen), std::string::npos) << sig;
    EXPECT_NE(screen.find(kAltRestored), std::string::npos) << sig;
    EXPECT_TRUE(shell_modes_back(pty)) << sig;
  }
}

TEST(RealTerminalRestore, QuitPrintsItsMessageAfterTheRestore) {
  Pty pty;
  const int status = in_child(pty, [](kdv::ui::NcursesTerminal& t) { t.quit(3, "mess578.scn missing"); });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string screen = pty.read();
  const std::size_t left = screen.find(kLeaveAltScreen);
  ASSERT_NE(left, std::string::npos);
  EXPECT_EQ(screen.find("mess578.scn missing\r\n", left) + 21, screen.size());
  EXPECT_TRUE(shell_modes_back(pty));
}

TEST(RealTerminalRestore, ExitAndTerminateRestoreToo) {
  {
    Pty pty;
    const int status = in_child(pty, [](kdv::ui::NcursesTerminal&) { std::exit(0); });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(pty.read().find(kAltRestored), std::string::npos);
    EXPECT_TRUE(shell_modes_back(pty));
  }
  {
    Pty pty;
    const int status = in_child(pty, [](kdv::ui::NcursesTerminal&) { std::terminate(); });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGABRT);
    EXPECT_NE(pty.read().find(kAltRestored), std::string::npos);
    EXPECT_TRUE(shell_modes_back(pty));
  }
}

TEST(RealTerminalRestore, CtrlZLeavesTheScreenAndContinuingRedrawsIt) {
  Pty pty;
  const pid_t pid = spawn(pty, [](kdv::ui::NcursesTerminal& t) {
    raise(SIGTSTP);
    kdv::ui::ScreenModel m;
    m.write_text("drawn");  // unchanged: only a full redraw sends it again
    t.present(m);
    _exit(0);
  });
  int status = 0;
  waitpid(pid, &status, WUNTRACED);
  ASSERT_TRUE(WIFSTOPPED(status));
  const std::string stopped = pty.read();
  EXPECT_NE(stopped.find(kLeaveAltScreen), std::string::npos);
  EXPECT_TRUE(shell_modes_back(pty));

  kill(pid, SIGCONT);
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string continued = pty.read();
  EXPECT_NE(continued.find("\x1b[?1049h"), std::string::npos);
  EXPECT_NE(continued.find("drawn"), std::string::npos);
}

}  // namespace
