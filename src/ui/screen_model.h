// The in-memory 80 x 25 text screen: cells of a code page 437 byte and an
// attribute, a current window, a cursor and a current attribute. Every
// drawing operation of the program lands here; a terminal backend presents
// the model.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace kdv::ui {

inline constexpr int kColumns = 80;
inline constexpr int kRows = 25;

struct Cell {
  std::uint8_t ch = ' ';
  std::uint8_t attr = 0x07;  // bits 0-3 foreground, 4-6 background, 7 blink
  friend bool operator==(const Cell&, const Cell&) = default;
};

class ScreenModel {
 public:
  ScreenModel() { dirty_.set(); }

  void set_text_window(int left, int top, int right, int bottom);
  void go_to_xy(int x, int y);
  void text_colour(int colour);
  void text_background(int colour);
  void clear_window();
  void write_char(std::uint8_t c);
  void write_text(std::string_view text);
  void write_line();

  // Cursor in window coordinates, as the program sees it.
  int where_x() const { return cx_; }
  int where_y() const { return cy_; }
  std::uint8_t attr() const { return attr_; }
  int win_left() const { return left_; }
  int win_top() const { return top_; }
  int win_right() const { return right_; }
  int win_bottom() const { return bottom_; }

  // Screen coordinates, 1-based. Out-of-range positions read as a blank.
  Cell cell(int col, int row) const;
  std::uint8_t ch(int col, int row) const { return cell(col, row).ch; }
  int fg(int col, int row) const { return cell(col, row).attr & 0x0F; }
  int bg(int col, int row) const { return (cell(col, row).attr >> 4) & 0x07; }
  // len bytes of a row from col (the whole row by default).
  std::string text(int col, int row, int len) const;
  std::string row_text(int row) const { return text(1, row, kColumns); }

  // Rows changed since the last clear_dirty(); a presenter clears them.
  bool row_dirty(int row) const { return dirty_.test(row - 1); }
  void clear_dirty() {
    dirty_.reset();
    shown_cursor_ = screen_cursor();
  }
  void mark_all_dirty() { dirty_.set(); }
  // Whether a row or the cursor's place on the screen changed since the
  // last clear_dirty(): a presenter with nothing to do can skip.
  bool changed() const { return dirty_.any() || screen_cursor() != shown_cursor_; }

 private:
  void newline();
  void scroll_up();
  Cell& at(int col, int row) { return cells_[row - 1][col - 1]; }
  std::pair<int, int> screen_cursor() const { return {left_ + cx_ - 1, top_ + cy_ - 1}; }

  std::array<std::array<Cell, kColumns>, kRows> cells_{};
  std::bitset<kRows> dirty_;
  std::pair<int, int> shown_cursor_{};  // at the last clear_dirty()
  int left_ = 1, top_ = 1, right_ = kColumns, bottom_ = kRows;
  int cx_ = 1, cy_ = 1;
  std::uint8_t attr_ = 0x07;
};

}  // namespace kdv::ui
