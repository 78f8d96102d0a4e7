// Terminal bytes per present through the real ncurses backend on a
// pseudo-terminal: a full 80 x 25 repaint of a menu screen against moving
// the menu highlight (one line changed, and the two lines of a cursor move).
// Counts what the terminal emulator would receive (read from the master),
// for the terminal type in TERM (xterm-256color when unset).
//
// "ratio" compares those bytes with what a terminal needs at the least: the
// UTF-8 bytes of the changed cells, and per run of changed cells (adjacent
// in one row, one attribute) one cursor move to its start and one SGR that
// sets both its colours, e.g. ESC[6;22H and ESC[97;45m.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "pty_terminal.h"
#include "ui/glyphs.h"
#include "ui/screen_model.h"

namespace {

// Marks the end of one present's output: written straight to the slave
// after the present, so everything before it is the present's.
constexpr std::string_view kMark = "\x1b]kdv578-bench\x07";

constexpr int kMenuTop = 6;
constexpr int kMenuLines = 10;

class Bench {
 public:
  Bench() { mark(); }

  // Presents and returns the number of bytes the terminal received.
  std::size_t present(kdv::ui::ScreenModel& m) {
    pty_.terminal().present(m);
    return mark();
  }

 private:
  std::size_t mark() {
    [[maybe_unused]] const ssize_t w = ::write(pty_.slave(), kMark.data(), kMark.size());
    return drain();
  }

  std::size_t drain() {
    std::string got;
    char buf[8192];
    for (;;) {
      const std::size_t end = got.find(kMark);
      if (end != std::string::npos) return end;
      pollfd p{pty_.master(), POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) return got.size();
      const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
      if (n <= 0) return got.size();
      got.append(buf, static_cast<std::size_t>(n));
    }
  }

  bench::PtyTerminal pty_;
};

std::size_t utf8_bytes(std::uint8_t c) {
  const char32_t u = kdv::model::kUnicodeTable[c];
  return u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
}

// The least a terminal needs to go from before (a cleared screen when
// absent) to after; see the top of the file.
std::size_t reference_bytes(const std::optional<kdv::ui::ScreenModel>& before, const kdv::ui::ScreenModel& after) {
  std::size_t bytes = 0;
  for (int row = 1; row <= kdv::ui::kRows; ++row) {
    bool in_run = false;
    for (int col = 1; col <= kdv::ui::kColumns; ++col) {
      const kdv::ui::Cell c = after.cell(col, row);
      if (before && before->cell(col, row) == c) {
        in_run = false;
        continue;
      }
      if (!in_run || after.cell(col - 1, row).attr != c.attr) {
        const std::string move = "\x1b[" + std::to_string(row) + ";" + std::to_string(col) + "H";
        // Every colour code has two digits (30-37, 90-97, 40-47).
        const std::string sgr = std::string("\x1b[") + ((c.attr & 0x80) ? "5;" : "") + "97;47m";
        bytes += (in_run ? 0 : move.size()) + sgr.size();
        in_run = true;
      }
      bytes += utf8_bytes(c.ch);
    }
  }
  return bytes;
}

void report(benchmark::State& state, std::size_t bytes, std::size_t reference) {
  const double n = static_cast<double>(state.iterations());
  state.counters["bytes"] = static_cast<double>(bytes) / n;
  state.counters["reference"] = static_cast<double>(reference) / n;
  state.counters["ratio"] = static_cast<double>(bytes) / static_cast<double>(reference);
}

void frame(kdv::ui::ScreenModel& m, int left, int top, int right, int bottom, const char* box) {
  // box: top-left, horizontal, top-right, vertical, bottom-left, bottom-right
  m.go_to_xy(left, top);
  m.write_char(static_cast<std::uint8_t>(box[0]));
  for (int x = left + 1; x < right; ++x) m.write_char(static_cast<std::uint8_t>(box[1]));
  m.write_char(static_cast<std::uint8_t>(box[2]));
  for (int y = top + 1; y < bottom; ++y) {
    m.go_to_xy(left, y);
    m.write_char(static_cast<std::uint8_t>(box[3]));
    m.go_to_xy(right, y);
    m.write_char(static_cast<std::uint8_t>(box[3]));
  }
  m.go_to_xy(left, bottom);
  m.write_char(static_cast<std::uint8_t>(box[4]));
  for (int x = left + 1; x < right; ++x) m.write_char(static_cast<std::uint8_t>(box[1]));
  m.write_char(static_cast<std::uint8_t>(box[5]));
}

void menu_line(kdv::ui::ScreenModel& m, int line, bool highlighted) {
  m.text_background(highlighted ? 15 : 5);
  m.text_colour(highlighted ? 4 : 15);
  m.go_to_xy(22, kMenuTop + line);
  const std::string label = " Menu item " + std::to_string(line + 1);
  m.write_text(label + std::string(36 - label.size(), ' '));
}

// A menu screen as the program draws them: the blue background with its
// single-line frame and status box, a magenta pop-up with a double frame,
// a help line and the black bottom row.
kdv::ui::ScreenModel menu_screen() {
  kdv::ui::ScreenModel m;
  m.text_background(1);
  m.text_colour(15);
  m.clear_window();
  frame(m, 1, 1, 80, 24, "\xDA\xC4\xBF\xB3\xC0\xD9");
  frame(m, 60, 2, 79, 7, "\xDA\xC4\xBF\xB3\xC0\xD9");
  m.go_to_xy(3, 2);
  m.write_text("KDV 578 configuration");
  m.go_to_xy(62, 3);
  m.write_text("HCA  Unknown");
  m.go_to_xy(62, 4);
  m.write_text("IP   Unknown");
  m.go_to_xy(62, 5);
  m.write_text("Units \xF8" "C  Offline");
  m.text_background(5);
  frame(m, 20, kMenuTop - 1, 59, kMenuTop + kMenuLines, "\xC9\xCD\xBB\xBA\xC8\xBC");
  for (int line = 0; line < kMenuLines; ++line) menu_line(m, line, line == 0);
  m.text_background(4);
  m.text_colour(15);
  m.go_to_xy(5, 23);
  m.write_text(" Up/Down choose, Enter selects, Esc returns, Alt-X quits ");
  m.text_background(0);
  m.go_to_xy(1, 25);
  m.write_text(" Ready");
  return m;
}

// The first screen of a freshly opened terminal (a resize repaints alike).
void first_screen(benchmark::State& state) {
  const kdv::ui::ScreenModel screen = menu_screen();
  std::size_t bytes = 0;
  for (auto _ : state) {
    Bench bench;
    kdv::ui::ScreenModel m = screen;
    bytes += bench.present(m);
  }
  report(state, bytes, reference_bytes(std::nullopt, screen) * state.iterations());
}

// From a blank screen to the menu screen.
void full_repaint(benchmark::State& state) {
  Bench bench;
  const kdv::ui::ScreenModel blank, screen = menu_screen();
  std::size_t bytes = 0;
  for (auto _ : state) {
    kdv::ui::ScreenModel m = blank;
    bench.present(m);
    m = screen;
    bytes += bench.present(m);
  }
  report(state, bytes, reference_bytes(blank, screen) * state.iterations());
}

// Moves between the first menu line highlighted and not (one line changes),
// or the menu cursor down and back up (two lines change).
void menu_moves(benchmark::State& state, bool cursor) {
  Bench bench;
  kdv::ui::ScreenModel m = menu_screen();
  const double full = static_cast<double>(bench.present(m));
  std::size_t bytes = 0, reference = 0;
  int at = 0;
  bool on = true;
  for (auto _ : state) {
    const kdv::ui::ScreenModel before = m;
    if (cursor) {
      menu_line(m, at, false);
      at = 1 - at;
      menu_line(m, at, true);
    } else {
      on = !on;
      menu_line(m, 0, on);
    }
    bytes += bench.present(m);
    reference += reference_bytes(before, m);
  }
  report(state, bytes, reference);
  state.counters["pct_of_full"] = 100.0 * state.counters["bytes"] / full;
}

void one_menu_line(benchmark::State& state) { menu_moves(state, false); }
void menu_cursor_move(benchmark::State& state) { menu_moves(state, true); }

void nothing_changed(benchmark::State& state) {
  Bench bench;
  kdv::ui::ScreenModel m = menu_screen();
  bench.present(m);
  std::size_t bytes = 0;
  for (auto _ : state) {
    m.mark_all_dirty();
    bytes += bench.present(m);
  }
  state.counters["bytes"] = static_cast<double>(bytes) / static_cast<double>(state.iterations());
}

BENCHMARK(first_screen);
BENCHMARK(full_repaint);
BENCHMARK(one_menu_line);
BENCHMARK(menu_cursor_move);
BENCHMARK(nothing_changed);

}  // namespace
