// The pop-up kit every editor uses: choice windows and lists, text and
// number fields, number formatters, message boxes and the link's error and
// working lines.
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/session.h"
#include "model/text.h"
#include "model/value_text.h"

namespace kdv::ui {

using kdv::model::Byte;

// The lines of a choice window; it shows 19 characters of each.
using ChoiceLines = std::vector<std::string>;
// The most lines a choice window shows: with its frame and title it then
// reaches from row 2 to row 23. A longer list scrolls inside the window.
inline constexpr int kChoiceWindowLines = 19;
// Choice window at (x, y) with title on its first row and the first
// kChoiceWindowLines items below.
void draw_choice_window(const kdv::model::Session& session, Byte x, Byte y, std::string_view title, const ChoiceLines& items);
// Choice list over the items of the window draw_choice_window drew, starting on line
// first: the chosen line (1-based), or nothing after Escape. A list longer
// than the window scrolls to keep the highlight in view, with an arrow in the
// frame's right side where lines lie above or below.
std::optional<Byte> choice_list(const kdv::model::Session& session, const ChoiceLines& items, Byte first);
// The same dialogue; gives the chosen line without its padding.
std::optional<std::string> choice_list_text(const kdv::model::Session& session, const ChoiceLines& items, Byte first);
// One-line text field on row 3 of the current window: the text, or nothing
// after Escape.
std::optional<std::string> text_field(std::string_view initial);
// Number field in a window titled title (range 0: -99999..99999, 3 decimals;
// 1: 0..255, whole): the entry, or nothing after Escape. Enter alone takes
// the value as shown, rounded. An entry that `acceptable`, when given,
// refuses is answered like one out of range.
std::optional<double> number_field(const kdv::model::Session& session, std::string_view title, double current, int range,
                             const std::function<bool(double)>& acceptable = {});
using kdv::model::fixed_decimal;
using kdv::model::right_aligned;
// What a value's unit depends on: the channel's input type and the
// receiver's temperature units.
struct ChannelUnit {
  Byte input_type = 0;
  Byte temperature_units = 0;
};
// value with 4 decimals in 10 characters and the unit suffix of family
// `family` (the transmitter type less one; from 2 on, no suffix) for a
// channel with the given unit.
std::string value_with_unit(double value, Byte family, ChannelUnit unit);

// Message boxes: wait for any key, leave the full-screen window current.
void say_read_only(const kdv::model::Session& session);
void say_calculated(const kdv::model::Session& session);
void say_no_negatives(const kdv::model::Session& session);
void say_done(const kdv::model::Session& session, std::string_view text);
void say_error(const kdv::model::Session& session, std::string_view text);

// The error line of a link outcome: its text at column 5, row 23 on the
// error colour, a bell and two seconds.
void show_link_error(const kdv::model::Session& session, std::string_view text);
// show_link_error, then the error line blanked again: width blanks at column 5,
// row 23 on the background colour (the transfers blank 23 or 24).
void show_link_error_blanked(const kdv::model::Session& session, std::string_view text, int width);
// The working text (message 53) at the start of row 25 while the link works.
void show_working(const kdv::model::Session& session);

// A framed box with its inside at (x, y), width x height: title at column title_x of
// its first row, lines from row 3 at column 3, the any-key footer, a key.
void message_box(const kdv::model::Session& session, int x, int y, int width, int height, int title_x, std::string_view title,
            std::initializer_list<std::string_view> items);
// The any-key footer on row 25, then one key; leaves the normal colours and the
// full-screen window.
void wait_any_key(const kdv::model::Session& session);

}  // namespace kdv::ui
