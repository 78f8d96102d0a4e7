// The configuration report: its text, where it goes (a printer LPT1..LPT3
// or a text file) and its way there. The report menu and the destination
// choice are the console's (app/report_commands.h).
#pragma once

#include <string>
#include <string_view>

#include "model/records.h"
#include "model/session.h"
#include "model/text.h"

namespace kdv::report {

struct Date {
  int year;
  int month;
  int day;
};

// A chosen destination's name: "LPT1".."LPT3" for the printers 1..3,
// otherwise the file name.
std::string destination_name(kdv::model::Byte lpt, std::string_view file);

// The whole report text of the session's receiver r on the given day, line
// ends LF, each transmitter section closed by a form feed.
std::string report_text(const kdv::model::Session& session, int r, Date today);
// The same for any record, with texts from the given message table.
std::string report_text(const kdv::model::MESSAGES& messages, const kdv::model::ReceiverRecord& rx, Date today);
// Where a destination name goes: LPT1..LPT3 (any case) to the printer device
// (or spooler command, "|lp") of KDV578_LPT1..3 if set, else /dev/usb/lpN or
// /dev/lpN (N = 0..2); any other name is a file path, "\" read as "/".
std::string destination_path(std::string_view name);
// Writes text to a destination name; false when it cannot be opened or the
// text does not all reach it. A printer opens only an existing character
// device (a spooler command's own output is discarded); any other name is a
// file, created or truncated.
bool print_report(std::string_view name, std::string_view text);

}  // namespace kdv::report
