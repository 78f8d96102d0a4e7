// Menus and pop-ups: the screen definition files (menu screens and the
// message table), the menu model and its value column, the menu routine with
// its cursor movement, and the pop-up kit every editor uses (choice windows,
// choice lists, text and number fields, formatters and message boxes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/indexed.h"
#include "model/screen_files.h"
#include "model/session.h"
#include "model/text.h"
#include "model/value_text.h"

namespace kdv::ui {

using byte = std::uint8_t;

// ---- Menu model -----------------------------------------------------------

using kdv::model::MENUELEMENT;
using kdv::model::NO_OF_SCREENS;
using kdv::model::SCREENS;
using kdv::model::SCRN;

// The menu screens, the value column and the menu cursor are the session's
// (SCREEN, DISP, XCUR, YCUR, SCNO).

// A submenu's cursor: starts the highlight on cell (x, y) and gives the
// caller's menu its highlight back when the submenu ends.
class MENU_CURSOR {
 public:
  MENU_CURSOR(kdv::model::Session& session, byte x, byte y)
      : session_(session), saved_x_(session.XCUR), saved_y_(session.YCUR) {
    session.XCUR = x;
    session.YCUR = y;
  }
  ~MENU_CURSOR() {
    session_.XCUR = saved_x_;
    session_.YCUR = saved_y_;
  }
  MENU_CURSOR(const MENU_CURSOR&) = delete;
  MENU_CURSOR& operator=(const MENU_CURSOR&) = delete;

 private:
  kdv::model::Session& session_;
  byte saved_x_, saved_y_;
};

using kdv::model::INERT;

// ---- Screen definition files ---------------------------------------------

// Start-up: sets the menu cursor to (1, 1) and the session ONLINE, then
// loads "mess578.scn" and "conf578.scn" from dir (the current directory by
// default). A missing or malformed file ends the program (exit code 0) with
// a message naming the file (and the line).
void INITWIND(kdv::model::Session& session, const std::filesystem::path& dir = {});

using kdv::model::READ_MESSAGES;

using kdv::model::LOAD_FAULT;
using kdv::model::READ_SCREENS;

// ---- Menu navigation -------------------------------------------------------

// What SEL returns on Escape.
inline constexpr kdv::model::byte kMenuEscape = 0xFF;

// Runs the menu of screen NO: returns 16 x column + row on Enter, kMenuEscape
// on Escape. Alt-X asks whether to quit and ends the program on "Y".
byte SEL(kdv::model::Session& session, byte NO);
// Draws the current screen with cell (CURX, CURY) highlighted.
void FILLSCN(const kdv::model::Session& session, byte CURX, byte CURY);
void CURSORUP(kdv::model::Session& session);
void CURSORDOWN(kdv::model::Session& session);
// Double-line frame whose inside starts at (X1, Y1), X2 wide and Y2 high;
// the inside becomes the current window.
void SETWINDOW(int X1, int Y1, int X2, int Y2);
void INVERSE(const kdv::model::Session& session);
void NORMAL(const kdv::model::Session& session);

// ---- Pop-ups and fields -------------------------------------------------------

// The lines of a choice window; it shows 19 characters of each, 20 lines at
// most.
using LINES = std::vector<std::string>;
// Choice window at (X, Y) with TITLE on its first row and LINES below.
void DRAWWINDOW(const kdv::model::Session& session, byte X, byte Y, std::string_view TITLE, const LINES& LINES);
// Choice list over the LINES of the window DRAWWINDOW drew, starting on line
// SELECT: the chosen line (1-based), or nothing after Escape.
std::optional<byte> SELECTION(const kdv::model::Session& session, const LINES& LINES, byte SELECT);
// The same dialogue; gives the chosen line without its padding.
std::optional<std::string> SELECTION_STRING(const kdv::model::Session& session, const LINES& LINES, byte SELECT);
// One-line text field on row 3 of the current window: the text, or nothing
// after Escape.
std::optional<std::string> GETNAME(std::string_view S);
// Number field in a window titled TITLE (RNG 0: -99999..99999, 3 decimals;
// 1: 0..255, whole): the entry, or nothing after Escape. Enter alone takes
// the value as shown, rounded. An entry that `acceptable`, when given,
// refuses is answered like one out of range.
std::optional<double> GETNUM(const kdv::model::Session& session, std::string_view TITLE, double CURRENTVAL, int RNG,
                             const std::function<bool(double)>& acceptable = {});
using kdv::model::FIXSTR;
using kdv::model::STG;
// I with 4 decimals in 10 characters and the unit suffix of family A for
// the session's current channel.
std::string FSTR(const kdv::model::Session& session, double I, byte A);

// Message boxes: wait for any key, leave the full-screen window current.
void READONLY(const kdv::model::Session& session);
void READONLY2(const kdv::model::Session& session);
void SAYNONEGATIVES(const kdv::model::Session& session);
void SAYDONE(const kdv::model::Session& session, std::string_view S);
void SAYERROR(const kdv::model::Session& session, std::string_view S);

// The error line of a link outcome: its text at column 5, row 23 on the
// error colour, a bell and two seconds.
void WRTERROR(const kdv::model::Session& session, std::string_view text);
// WRTERROR, then the error line blanked again: width blanks at column 5,
// row 23 on the BACK colour (the transfers blank 23 or 24).
void WRTERROR_BLANKED(const kdv::model::Session& session, std::string_view text, int width);
// The working text (message 53) at the start of row 25 while the link works.
void WRTWORKING(const kdv::model::Session& session);

// A framed box with its inside at (X, Y), W x H: title at column TITLEX of
// its first row, lines from row 3 at column 3, the any-key footer, a key.
void MSGBOX(const kdv::model::Session& session, int X, int Y, int W, int H, int TITLEX, std::string_view TITLE,
            std::initializer_list<std::string_view> LINES);
// The any-key footer on row 25, then one key; leaves NORMAL colours and the
// full-screen window.
void WAITANYKEY(const kdv::model::Session& session);

}  // namespace kdv::ui
