// The pop-up kit: choice windows and lists, the text and number fields, the
// number formatters and the message boxes. Pop-ups take their title and
// lines and give their result, or nothing after Escape; callers redraw the
// menu afterwards, so nothing here restores what it covered.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "model/editor_rules.h"
#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "ui/console.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::ui {

namespace {

constexpr Byte kDeleteScanLetter = 'S';  // Delete arrives as 0 and the code of "S"

void full_screen() { kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows); }

void write_at(int x, int y, std::string_view text) {
  kdv::ui::go_to_xy(x, y);
  kdv::ui::write_text(text);
}

bool number_character(Byte c) { return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'); }

// The field's text as a number: leading blanks, an optional sign and a
// decimal number, nothing after it.
std::optional<double> parse_number(std::string_view s) {
  const std::size_t p = s.find_first_not_of(' ');
  if (p == std::string_view::npos) return std::nullopt;
  s.remove_prefix(p);
  if (s.starts_with('+')) {
    s.remove_prefix(1);
    if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  }
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::fixed);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// A window line: at most 19 characters.
std::string_view line_text(std::string_view text) { return text.substr(0, 19); }

// A line of the choice list in the given colours, with line `top` of the
// list on the window's first line row.
void show_line(const kdv::model::Session& session, const ChoiceLines& lines, Byte line, int top, bool highlighted) {
  if (line < 1 || line > lines.size()) return;  // a caller's out-of-range start line
  highlighted ? inverse_colours(session) : normal_colours(session);
  write_at(1, line - top + 3, line_text(lines[line - 1U]));
}

// The first line in view once `line` of a list of count lines is: the view
// moves only as far as it must. A list the window holds whole never moves.
int top_showing(int line, int top, int count) {
  if (count <= kChoiceWindowLines || line < 1 || line > count) return top;
  return std::clamp(top, line - kChoiceWindowLines + 1, line);
}

// The arrows in the right side of a long list's frame, beside its first and
// last line in view: whether lines lie above and below the view that starts
// with line `top`. The window's last column is the frame's side.
void show_scroll_arrows(int top, int count) {
  write_at(20, 3, top > 1 ? "\x18" : "\xBA");
  write_at(20, kChoiceWindowLines + 2, top - 1 + kChoiceWindowLines < count ? "\x19" : "\xBA");
}

// A window's worth of a long list from line `top`, each line blanked to its
// full width, and the arrows.
void show_lines_from(const kdv::model::Session& session, const ChoiceLines& lines, int top) {
  normal_colours(session);
  for (int row = 0; row < kChoiceWindowLines; ++row) {
    const int line = top + row;
    std::string text(line_text(lines[static_cast<std::size_t>(line) - 1]));
    text.resize(19, ' ');
    write_at(1, row + 3, text);
  }
  show_scroll_arrows(top, static_cast<int>(lines.size()));
}

}  // namespace

void draw_choice_window(const kdv::model::Session& session, Byte x, Byte y, std::string_view title, const ChoiceLines& items) {
  const int count = std::min(static_cast<int>(items.size()), kChoiceWindowLines);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kdv::model::kRed);
  kdv::ui::text_colour(session.menu_text);
  kdv::ui::write_text(session.messages[kdv::model::kMessageMenuKeys].view());
  normal_colours(session);
  kdv::ui::set_text_window(x, y, x + 19, y + count + 1);
  kdv::ui::clear_window();
  frame_window(x, y, 20, count + 3);
  write_at(1, 1, line_text(title));
  kdv::ui::go_to_xy(1, 3);
  for (int i = 1; i <= count; ++i) kdv::ui::write_line(line_text(items[i - 1U]));
  if (static_cast<int>(items.size()) > count) show_scroll_arrows(1, static_cast<int>(items.size()));
}

std::optional<Byte> choice_list(const kdv::model::Session& session, const ChoiceLines& items, Byte first) {
  const auto count = static_cast<Byte>(items.size());
  const int shown = std::min<int>(count, kChoiceWindowLines);
  int top = 1;  // draw_choice_window showed the list from its first line
  for (;;) {
    if (const int wanted = top_showing(first, top, count); wanted != top) {
      top = wanted;
      show_lines_from(session, items, top);
    }
    show_line(session, items, first, top, true);
    kdv::ui::go_to_xy(20, shown + 3);
    normal_colours(session);
    for (;;) {
      const Byte key = kdv::ui::read_key();
      if (key == kdv::ui::kKeyEnter) return first;
      if (key == kdv::ui::kKeyEscape) return std::nullopt;
      if (key == kdv::ui::kScanUp || key == kdv::ui::kScanDown) {
        show_line(session, items, first, top, false);
        if (key == kdv::ui::kScanUp)
          first = first <= 1 ? count : static_cast<Byte>(first - 1);
        else
          first = first >= count ? 1 : static_cast<Byte>(first + 1);
        break;
      }
    }
  }
}

std::optional<std::string> choice_list_text(const kdv::model::Session& session, const ChoiceLines& items, Byte first) {
  const std::optional<Byte> chosen = choice_list(session, items, first);
  if (!chosen) return std::nullopt;
  if (*chosen < 1 || *chosen > items.size()) return std::string();
  const std::string_view line = line_text(items[*chosen - 1U]);
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return std::string(line.substr(start, line.find_last_not_of(' ') - start + 1));
}

std::optional<std::string> text_field(std::string_view initial) {
  std::string text(initial);
  std::size_t k = 1;  // cursor, 1-based
  int previous = -1;
  bool escaped = false;
  kdv::ui::cursor_on();
  for (;;) {
    const std::size_t first = k > 15 ? k - 14 : 1;
    std::string shown = text.size() >= first ? text.substr(first - 1, 15) : std::string();
    shown.resize(15, ' ');
    write_at(2, 3, shown);
    kdv::ui::go_to_xy(static_cast<int>(2 + k - first), 3);

    const Byte key = kdv::ui::read_key();
    const bool extended = previous == 0;
    previous = key;
    if (key == kdv::ui::kKeyEnter) break;
    if (key == kdv::ui::kKeyEscape) {
      escaped = true;
      break;
    }
    if (kdv::model::is_tag_character(key) && !extended && k <= kdv::model::kTagEntryLength) {
      text.resize(k - 1);
      text.push_back(static_cast<char>(key));
      ++k;
    } else if (key == kdv::ui::kKeyBackspace || (extended && key == kDeleteScanLetter)) {
      if (k > 1) {
        --k;
        text.resize(k - 1);
      }
    }
    // Everything from the cursor on is blanked: before the first key typed
    // this turns the old value into blanks of the same length.
    for (std::size_t i = k; i <= text.size(); ++i) text[i - 1] = ' ';
  }
  write_at(1, 4, std::string(19, ' '));
  kdv::ui::cursor_off();
  if (escaped) return std::nullopt;
  return text;
}

std::optional<double> number_field(const kdv::model::Session& session, std::string_view title, double current, int range,
                             const std::function<bool(double)>& acceptable) {
  // Callers pass 0 or 1; any other range is taken as the real-number range.
  const bool whole = range == 1;
  int k = 4;
  kdv::ui::cursor_on();
  // The field (line 1) and the error line (line 2) of the window.
  ChoiceLines lines = {"   " + (whole ? fixed_decimal(current, 3, 0) : fixed_decimal(current, 10, 3)), ""};
  std::string& field = lines[0];
  field.resize(line_text(field).size());
  std::optional<double> result;
  for (;;) {
    draw_choice_window(session, 30, 15, title, lines);
    kdv::ui::go_to_xy(k, 3);
    Byte key = 0;
    bool escaped = false;
    while ((key = kdv::ui::read_key()) != kdv::ui::kKeyEnter) {
      if (number_character(key) && k != 13) {
        field.erase(std::min(field.size(), static_cast<std::size_t>(k - 1)));
        field.push_back(static_cast<char>(key));
        ++k;
      } else if ((key == kdv::ui::kKeyBackspace || key == kDeleteScanLetter) && k > 4) {
        --k;
        field.erase(std::min(field.size(), static_cast<std::size_t>(k - 1)));
      }
      write_at(1, 3, std::string(18, ' '));
      write_at(1, 3, field);
      kdv::ui::go_to_xy(k, 3);
      if (key == kdv::ui::kKeyEscape) {
        escaped = true;
        break;
      }
    }
    if (escaped) break;
    const std::optional<double> v = parse_number(field);
    if (v && kdv::model::entry_accepts(*v, whole) && (!acceptable || acceptable(*v))) {
      result = *v;
      break;
    }
    lines[1] = " Error- Try again";
    kdv::ui::write_text('\a');
  }
  kdv::ui::cursor_off();
  return result;
}

std::string value_with_unit(double value, Byte family, ChannelUnit unit) {
  const std::string number = fixed_decimal(value, 10, 4);
  if (family >= 2) return number;
  const Byte type = unit.input_type;
  const std::string ohm{' ', kdv::model::kOhmSign};
  if (family == 0) {
    if (type == 0) return number + " mV";
    if (type == 13) return number + ohm;
    if (type == 15) return number + "   ";
    switch (unit.temperature_units) {
      case 1: return number + kdv::model::kDegreeSign + "C";
      case 2: return number + kdv::model::kDegreeSign + "F";
      case 3: return number + " K";
      default: return "?";
    }
  }
  if (type == 0) return number + "mA";
  if (type <= 6) return number;  // types 1 to 6: no unit
  if (type == 13 || type == 14) return number + ohm;
  if (type == 15) return number + "  ";
  return {};
}

void wait_any_key(const kdv::model::Session& session) {
  normal_colours(session);
  full_screen();
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::text_background(kdv::model::kBlack);
  kdv::ui::write_text(std::string(28, ' '));
  kdv::ui::text_background(session.error_bar);
  kdv::ui::text_colour(session.menu_text);
  kdv::ui::write_text(" Any key to Continue ");
  full_screen();
  kdv::ui::read_key();
  normal_colours(session);
  full_screen();
}

void message_box(const kdv::model::Session& session, int x, int y, int width, int height, int title_x, std::string_view title,
            std::initializer_list<std::string_view> items) {
  normal_colours(session);
  kdv::ui::set_text_window(x - 1, y - 1, x + width - 1, y + height - 1);
  kdv::ui::clear_window();
  frame_window(x, y, width, height);
  write_at(title_x, 1, title);
  int row = 3;
  for (std::string_view line : items) write_at(3, row++, line);
  wait_any_key(session);
}

void say_read_only(const kdv::model::Session& session) {
  message_box(session, 25, 15, 30, 6, 11, "READ ONLY", {"This parameter is selected", "by a switch in the KDV578"});
}

void say_calculated(const kdv::model::Session& session) {
  message_box(session, 22, 15, 36, 7, 15, "READ ONLY",
         {"These parameters are calculated ", "from the values entered on the  ",
          "left hand side of the screen."});
}

void say_no_negatives(const kdv::model::Session& session) {
  message_box(session, 22, 15, 36, 6, 8, "UNIPOLAR DATA FORMAT",
         {"The selected data format does ", "not allow negative output values."});
}

void say_done(const kdv::model::Session& session, std::string_view text) { message_box(session, 25, 15, 29, 5, 11, "  DONE  ", {std::string(text) + " completed"}); }

void say_error(const kdv::model::Session& session, std::string_view text) { message_box(session, 25, 15, 29, 5, 11, "  ERROR  ", {text}); }

void show_link_error(const kdv::model::Session& session, std::string_view text) {
  full_screen();
  kdv::ui::go_to_xy(5, 23);
  kdv::ui::text_background(session.error_bar);
  kdv::ui::write_text(text);
  kdv::ui::go_to_xy(80, 25);
  kdv::ui::write_text('\a');
  kdv::ui::pause_ms(2000);
}

void show_link_error_blanked(const kdv::model::Session& session, std::string_view text, int width) {
  show_link_error(session, text);
  kdv::ui::go_to_xy(5, 23);
  kdv::ui::text_background(session.background);
  kdv::ui::write_text(std::string(static_cast<std::size_t>(width), ' '));
}

void show_working(const kdv::model::Session& session) {
  full_screen();
  kdv::ui::text_background(kdv::model::kBlack);
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(session.messages[kdv::model::kMessageWorking].view());
}

}  // namespace kdv::ui
