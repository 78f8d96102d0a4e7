// Terminal bytes per present through the real ncurses backend on a
// pseudo-terminal: a full 80 x 25 repaint of a menu screen against moving
// the menu highlight (one line changed, and the two lines of a cursor move).
// Counts what the terminal emulator would receive (read from the master).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "ui/ncurses_terminal.h"
#include "ui/screen_model.h"

namespace {

// Marks the end of one present's output: written straight to the slave
// after the present, so everything before it is the present's.
constexpr std::string_view MARK = "\x1b]kdv578-bench\x07";

constexpr int MENU_TOP = 6;
constexpr int MENU_LINES = 10;

class Bench {
 public:
  Bench() {
    winsize ws{};
    ws.ws_row = 25;
    ws.ws_col = 80;
    if (openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) throw std::runtime_error("openpty");
    setenv("LC_ALL", "C.UTF-8", 1);
    terminal_ = crt::NcursesTerminal::Open(
        {fdopen(dup(slave_), "w"), fdopen(dup(slave_), "r"), "xterm-256color"});
    if (!terminal_) throw std::runtime_error("no terminal");
    terminal_->cursor_visible(false);
    drain();
  }

  // Presents and returns the number of bytes the terminal received.
  std::size_t present(crt::ScreenModel& m) {
    terminal_->present(m);
    [[maybe_unused]] const ssize_t w = ::write(slave_, MARK.data(), MARK.size());
    return drain();
  }

 private:
  std::size_t drain() {
    std::string got;
    char buf[8192];
    for (;;) {
      const std::size_t end = got.find(MARK);
      if (end != std::string::npos) return end;
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) return got.size();  // nothing marked: set-up output
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) return got.size();
      got.append(buf, static_cast<std::size_t>(n));
    }
  }

  int master_ = -1, slave_ = -1;
  std::unique_ptr<crt::NcursesTerminal> terminal_;
};

Bench& bench() {
  static Bench b;
  return b;
}

void frame(crt::ScreenModel& m, int left, int top, int right, int bottom, const char* box) {
  // box: top-left, horizontal, top-right, vertical, bottom-left, bottom-right
  m.GotoXY(left, top);
  m.WriteChar(static_cast<std::uint8_t>(box[0]));
  for (int x = left + 1; x < right; ++x) m.WriteChar(static_cast<std::uint8_t>(box[1]));
  m.WriteChar(static_cast<std::uint8_t>(box[2]));
  for (int y = top + 1; y < bottom; ++y) {
    m.GotoXY(left, y);
    m.WriteChar(static_cast<std::uint8_t>(box[3]));
    m.GotoXY(right, y);
    m.WriteChar(static_cast<std::uint8_t>(box[3]));
  }
  m.GotoXY(left, bottom);
  m.WriteChar(static_cast<std::uint8_t>(box[4]));
  for (int x = left + 1; x < right; ++x) m.WriteChar(static_cast<std::uint8_t>(box[1]));
  m.WriteChar(static_cast<std::uint8_t>(box[5]));
}

void menu_line(crt::ScreenModel& m, int line, bool highlighted) {
  m.TextBackground(highlighted ? 15 : 5);
  m.TextColor(highlighted ? 4 : 15);
  m.GotoXY(22, MENU_TOP + line);
  const std::string label = " Menu item " + std::to_string(line + 1);
  m.Write(label + std::string(36 - label.size(), ' '));
}

// A menu screen as the program draws them: the blue background with its
// single-line frame and status box, a magenta pop-up with a double frame,
// a help line and the black bottom row.
crt::ScreenModel menu_screen() {
  crt::ScreenModel m;
  m.TextBackground(1);
  m.TextColor(15);
  m.ClrScr();
  frame(m, 1, 1, 80, 24, "\xDA\xC4\xBF\xB3\xC0\xD9");
  frame(m, 60, 2, 79, 7, "\xDA\xC4\xBF\xB3\xC0\xD9");
  m.GotoXY(3, 2);
  m.Write("KDV 578 configuration");
  m.GotoXY(62, 3);
  m.Write("HCA  Unknown");
  m.GotoXY(62, 4);
  m.Write("IP   Unknown");
  m.GotoXY(62, 5);
  m.Write("Units \xF8" "C  Offline");
  m.TextBackground(5);
  frame(m, 20, MENU_TOP - 1, 59, MENU_TOP + MENU_LINES, "\xC9\xCD\xBB\xBA\xC8\xBC");
  for (int line = 0; line < MENU_LINES; ++line) menu_line(m, line, line == 0);
  m.TextBackground(4);
  m.TextColor(15);
  m.GotoXY(5, 23);
  m.Write(" Up/Down choose, Enter selects, Esc returns, Alt-X quits ");
  m.TextBackground(0);
  m.GotoXY(1, 25);
  m.Write(" Ready");
  return m;
}

std::size_t full_repaint_bytes() {
  crt::ScreenModel blank;
  bench().present(blank);
  crt::ScreenModel screen = menu_screen();
  return bench().present(screen);
}

void BM_FullRepaint(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) bytes += full_repaint_bytes();
  state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

// Moves between the first menu line highlighted and not: one line changes.
void BM_OneMenuLine(benchmark::State& state) {
  const double full = static_cast<double>(full_repaint_bytes());
  crt::ScreenModel m = menu_screen();
  bench().present(m);
  std::size_t bytes = 0;
  bool on = true;
  for (auto _ : state) {
    on = !on;
    menu_line(m, 0, on);
    bytes += bench().present(m);
  }
  const double per = static_cast<double>(bytes) / static_cast<double>(state.iterations());
  state.counters["bytes"] = per;
  state.counters["pct_of_full"] = 100.0 * per / full;
}

// The menu cursor moving down and back up: two lines change.
void BM_MenuCursorMove(benchmark::State& state) {
  const double full = static_cast<double>(full_repaint_bytes());
  crt::ScreenModel m = menu_screen();
  bench().present(m);
  std::size_t bytes = 0;
  int at = 0;
  for (auto _ : state) {
    menu_line(m, at, false);
    at = 1 - at;
    menu_line(m, at, true);
    bytes += bench().present(m);
  }
  const double per = static_cast<double>(bytes) / static_cast<double>(state.iterations());
  state.counters["bytes"] = per;
  state.counters["pct_of_full"] = 100.0 * per / full;
}

void BM_NothingChanged(benchmark::State& state) {
  crt::ScreenModel m = menu_screen();
  bench().present(m);
  std::size_t bytes = 0;
  for (auto _ : state) {
    m.mark_all_dirty();
    bytes += bench().present(m);
  }
  state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_FullRepaint);
BENCHMARK(BM_OneMenuLine);
BENCHMARK(BM_MenuCursorMove);
BENCHMARK(BM_NothingChanged);

}  // namespace
