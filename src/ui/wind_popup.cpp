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
#include "model/globals.h"
#include "model/messages.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace kdv::ui {

namespace {

constexpr byte KEY_DELETE_LETTER = 'S';  // Delete arrives as 0 and the code of "S"

void full_screen() { kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS); }

void write_at(int x, int y, std::string_view text) {
  kdv::ui::GotoXY(x, y);
  kdv::ui::Write(text);
}

bool number_character(byte c) { return c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9'); }

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

// A line of the choice list in the given colours.
void show_line(const kdv::model::Session& session, const LINES& lines, byte line, bool highlighted) {
  if (line < 1 || line > lines.size()) return;  // a caller's out-of-range start line
  highlighted ? INVERSE(session) : NORMAL(session);
  write_at(1, line + 2, line_text(lines[line - 1U]));
}

}  // namespace

void DRAWWINDOW(const kdv::model::Session& session, byte X, byte Y, std::string_view TITLE, const LINES& LINES) {
  const int NO = static_cast<int>(LINES.size());
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kdv::model::kRed);
  kdv::ui::TextColor(session.MENUTEXT);
  kdv::ui::Write(session.MESSAGE[kdv::model::kMessageMenuKeys].view());
  NORMAL(session);
  kdv::ui::Window(X, Y, X + 19, Y + NO + 1);
  kdv::ui::ClrScr();
  SETWINDOW(X, Y, 20, NO + 3);
  write_at(1, 1, line_text(TITLE));
  kdv::ui::GotoXY(1, 3);
  for (int i = 1; i <= NO && i <= 20; ++i) kdv::ui::WriteLn(line_text(LINES[i - 1U]));
}

std::optional<byte> SELECTION(const kdv::model::Session& session, const LINES& LINES, byte SELECT) {
  const auto NO = static_cast<byte>(LINES.size());
  for (;;) {
    show_line(session, LINES, SELECT, true);
    kdv::ui::GotoXY(20, NO + 3);
    NORMAL(session);
    for (;;) {
      const byte key = kdv::ui::ReadKey();
      if (key == kdv::ui::KEY_ENTER) return SELECT;
      if (key == kdv::ui::KEY_ESC) return std::nullopt;
      if (key == kdv::ui::SCAN_UP || key == kdv::ui::SCAN_DOWN) {
        show_line(session, LINES, SELECT, false);
        if (key == kdv::ui::SCAN_UP)
          SELECT = SELECT <= 1 ? NO : static_cast<byte>(SELECT - 1);
        else
          SELECT = SELECT >= NO ? 1 : static_cast<byte>(SELECT + 1);
        break;
      }
    }
  }
}

std::optional<std::string> SELECTION_STRING(const kdv::model::Session& session, const LINES& LINES, byte SELECT) {
  const std::optional<byte> chosen = SELECTION(session, LINES, SELECT);
  if (!chosen) return std::nullopt;
  if (*chosen < 1 || *chosen > LINES.size()) return std::string();
  const std::string_view line = line_text(LINES[*chosen - 1U]);
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(line.substr(first, line.find_last_not_of(' ') - first + 1));
}

std::optional<std::string> GETNAME(std::string_view S) {
  std::string text(S);
  std::size_t k = 1;  // cursor, 1-based
  int previous = -1;
  bool escaped = false;
  kdv::ui::CURSORON();
  for (;;) {
    const std::size_t first = k > 15 ? k - 14 : 1;
    std::string shown = text.size() >= first ? text.substr(first - 1, 15) : std::string();
    shown.resize(15, ' ');
    write_at(2, 3, shown);
    kdv::ui::GotoXY(static_cast<int>(2 + k - first), 3);

    const byte key = kdv::ui::ReadKey();
    const bool extended = previous == 0;
    previous = key;
    if (key == kdv::ui::KEY_ENTER) break;
    if (key == kdv::ui::KEY_ESC) {
      escaped = true;
      break;
    }
    if (kdv::model::NAME_CHARACTER(key) && !extended && k <= kdv::model::NAME_LENGTH) {
      text.resize(k - 1);
      text.push_back(static_cast<char>(key));
      ++k;
    } else if (key == kdv::ui::KEY_BACKSPACE || (extended && key == KEY_DELETE_LETTER)) {
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
  kdv::ui::CURSOROFF();
  if (escaped) return std::nullopt;
  return text;
}

std::optional<double> GETNUM(const kdv::model::Session& session, std::string_view TITLE, double CURRENTVAL, int RNG,
                             const std::function<bool(double)>& acceptable) {
  // Callers pass 0 or 1; any other range is taken as the real-number range.
  const bool whole = RNG == 1;
  int k = 4;
  kdv::ui::CURSORON();
  // The field (line 1) and the error line (line 2) of the window.
  LINES lines = {"   " + (whole ? FIXSTR(CURRENTVAL, 3, 0) : FIXSTR(CURRENTVAL, 10, 3)), ""};
  std::string& field = lines[0];
  field.resize(line_text(field).size());
  std::optional<double> result;
  for (;;) {
    DRAWWINDOW(session, 30, 15, TITLE, lines);
    kdv::ui::GotoXY(k, 3);
    byte key = 0;
    bool escaped = false;
    while ((key = kdv::ui::ReadKey()) != kdv::ui::KEY_ENTER) {
      if (number_character(key) && k != 13) {
        field.erase(std::min(field.size(), static_cast<std::size_t>(k - 1)));
        field.push_back(static_cast<char>(key));
        ++k;
      } else if ((key == kdv::ui::KEY_BACKSPACE || key == KEY_DELETE_LETTER) && k > 4) {
        --k;
        field.erase(std::min(field.size(), static_cast<std::size_t>(k - 1)));
      }
      write_at(1, 3, std::string(18, ' '));
      write_at(1, 3, field);
      kdv::ui::GotoXY(k, 3);
      if (key == kdv::ui::KEY_ESC) {
        escaped = true;
        break;
      }
    }
    if (escaped) break;
    const std::optional<double> v = parse_number(field);
    if (v && kdv::model::ENTRY_ACCEPTS(*v, whole) && (!acceptable || acceptable(*v))) {
      result = *v;
      break;
    }
    lines[1] = " Error- Try again";
    kdv::ui::Write('\a');
  }
  kdv::ui::CURSOROFF();
  return result;
}

std::string FSTR(const kdv::model::Session& session, double I, byte A) {
  const std::string number = FIXSTR(I, 10, 4);
  if (A >= 2) return number;
  const kdv::model::RECIEVER_DATA& r = session.RX();
  const byte type = r.TRANSMITTER[session.TXNO].CHANNEL[session.CHNO].INPUT_TYPE;
  const std::string ohm{' ', kdv::model::OMEGA};
  if (A == 0) {
    if (type == 0) return number + " mV";
    if (type == 13) return number + ohm;
    if (type == 15) return number + "   ";
    switch (r.UNITS) {
      case 1: return number + kdv::model::DEGREE + "C";
      case 2: return number + kdv::model::DEGREE + "F";
      case 3: return number + " K";
      default: return "?";
    }
  }
  if (type == 0) return number + "mA";
  if (type >= 1 && type <= 6) return number;
  if (type == 13 || type == 14) return number + ohm;
  if (type == 15) return number + "  ";
  return {};
}

void WAITANYKEY(const kdv::model::Session& session) {
  NORMAL(session);
  full_screen();
  kdv::ui::GotoXY(1, 25);
  kdv::ui::TextBackground(kdv::model::kBlack);
  kdv::ui::Write(std::string(28, ' '));
  kdv::ui::TextBackground(session.ERRBAR);
  kdv::ui::TextColor(session.MENUTEXT);
  kdv::ui::Write(" Any key to Continue ");
  full_screen();
  kdv::ui::ReadKey();
  NORMAL(session);
  full_screen();
}

void MSGBOX(const kdv::model::Session& session, int X, int Y, int W, int H, int TITLEX, std::string_view TITLE,
            std::initializer_list<std::string_view> LINES) {
  NORMAL(session);
  kdv::ui::Window(X - 1, Y - 1, X + W - 1, Y + H - 1);
  kdv::ui::ClrScr();
  SETWINDOW(X, Y, W, H);
  write_at(TITLEX, 1, TITLE);
  int row = 3;
  for (std::string_view line : LINES) write_at(3, row++, line);
  WAITANYKEY(session);
}

void READONLY(const kdv::model::Session& session) {
  MSGBOX(session, 25, 15, 30, 6, 11, "READ ONLY", {"This parameter is selected", "by a switch in the KDV578"});
}

void READONLY2(const kdv::model::Session& session) {
  MSGBOX(session, 22, 15, 36, 7, 15, "READ ONLY",
         {"These parameters are calculated ", "from the values entered on the  ",
          "left hand side of the screen."});
}

void SAYNONEGATIVES(const kdv::model::Session& session) {
  MSGBOX(session, 22, 15, 36, 6, 8, "UNIPOLAR DATA FORMAT",
         {"The selected data format does ", "not allow negative output values."});
}

void SAYDONE(const kdv::model::Session& session, std::string_view S) { MSGBOX(session, 25, 15, 29, 5, 11, "  DONE  ", {std::string(S) + " completed"}); }

void SAYERROR(const kdv::model::Session& session, std::string_view S) { MSGBOX(session, 25, 15, 29, 5, 11, "  ERROR  ", {S}); }

void WRTERROR(const kdv::model::Session& session, std::string_view text) {
  full_screen();
  kdv::ui::GotoXY(5, 23);
  kdv::ui::TextBackground(session.ERRBAR);
  kdv::ui::Write(text);
  kdv::ui::GotoXY(80, 25);
  kdv::ui::Write('\a');
  kdv::ui::Delay(2000);
}

void WRTERROR_BLANKED(const kdv::model::Session& session, std::string_view text, int width) {
  WRTERROR(session, text);
  kdv::ui::GotoXY(5, 23);
  kdv::ui::TextBackground(session.BACK);
  kdv::ui::Write(std::string(static_cast<std::size_t>(width), ' '));
}

void WRTWORKING(const kdv::model::Session& session) {
  full_screen();
  kdv::ui::TextBackground(kdv::model::kBlack);
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(session.MESSAGE[kdv::model::kMessageWorking].view());
}

}  // namespace kdv::ui
