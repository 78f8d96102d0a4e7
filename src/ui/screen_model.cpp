#include "ui/screen_model.h"

namespace kdv::ui {

void ScreenModel::set_text_window(int left, int top, int right, int bottom) {
  if (left < 1 || top < 1 || left > right || top > bottom || right > kColumns || bottom > kRows) return;
  left_ = left, top_ = top, right_ = right, bottom_ = bottom;
  cx_ = cy_ = 1;
}

void ScreenModel::go_to_xy(int x, int y) {
  if (x < 1 || y < 1 || x > right_ - left_ + 1 || y > bottom_ - top_ + 1) return;
  cx_ = x, cy_ = y;
}

void ScreenModel::text_colour(int colour) {
  attr_ = static_cast<std::uint8_t>((attr_ & 0x70) | (colour & 0x8F));
}

void ScreenModel::text_background(int colour) {
  attr_ = static_cast<std::uint8_t>((attr_ & 0x8F) | ((colour & 0x07) << 4));
}

void ScreenModel::clear_window() {
  for (int r = top_; r <= bottom_; ++r) {
    for (int c = left_; c <= right_; ++c) at(c, r) = Cell{' ', attr_};
    dirty_.set(r - 1);
  }
  cx_ = cy_ = 1;
}

void ScreenModel::scroll_up() {
  for (int r = top_; r < bottom_; ++r) {
    for (int c = left_; c <= right_; ++c) at(c, r) = at(c, r + 1);
    dirty_.set(r - 1);
  }
  for (int c = left_; c <= right_; ++c) at(c, bottom_) = Cell{' ', attr_};
  dirty_.set(bottom_ - 1);
}

void ScreenModel::newline() {
  cx_ = 1;
  if (cy_ < bottom_ - top_ + 1)
    ++cy_;
  else
    scroll_up();
}

void ScreenModel::write_char(std::uint8_t c) {
  switch (c) {
    case 7: return;
    case 8:
      if (cx_ > 1) --cx_;
      return;
    case 10: {
      const int col = cx_;
      newline();
      cx_ = col;
      return;
    }
    case 13: cx_ = 1; return;
    default: break;
  }
  const int row = top_ + cy_ - 1;
  at(left_ + cx_ - 1, row) = Cell{c, attr_};
  dirty_.set(row - 1);
  if (cx_ < right_ - left_ + 1)
    ++cx_;
  else
    newline();
}

void ScreenModel::write_text(std::string_view text) {
  for (char c : text) write_char(static_cast<std::uint8_t>(c));
}

void ScreenModel::write_line() { newline(); }

Cell ScreenModel::cell(int col, int row) const {
  if (col < 1 || row < 1 || col > kColumns || row > kRows) return Cell{};
  return cells_[row - 1][col - 1];
}

std::string ScreenModel::text(int col, int row, int len) const {
  std::string s;
  for (int c = col; c < col + len; ++c) s.push_back(static_cast<char>(cell(c, row).ch));
  return s;
}

}  // namespace kdv::ui
