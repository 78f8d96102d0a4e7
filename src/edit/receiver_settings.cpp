#include "edit/receiver_settings.h"

#include <algorithm>
#include <cmath>

#include "edit/value_column.h"
#include "edit/diagnostics_screen.h"
#include "link/link.h"
#include "link/outcome.h"
#include "model/editor_rules.h"
#include "model/messages.h"
#include "transfer/download.h"
#include "transfer/upload.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

// A list editor over one byte field whose list position is code + shift.
// Offers the list, stores the choice and sends it with `command`; the field
// gets its old value back when the send fails.
void edit_code(const Session& session, Byte& field, const std::vector<std::string>& items, int y, int shift,
              const std::function<kdv::link::Outcome()>& command, int title_spaces = 3) {
  const Byte old = field;
  const std::optional<int> p = choose_from_list(session, cell_title(session, title_spaces), items, y, field + shift);
  if (!p) return;
  field = static_cast<Byte>(*p - shift);
  if (!send_change(session, command)) field = old;
}

kdv::link::Outcome send_serial_settings(Session& session) { return kdv::link::Link(session).SET_COMMS(session.receiver_number); }

// The serial settings follow the receiver's switches unless its comms mode
// is software-defined.
bool serial_editable(const Session& session, int r) {
  if (session.receivers[r]->COMM_MODE) return true;
  kdv::ui::say_read_only(session);
  return false;
}

// Cells of the receiver setup menu: 0x10 x column + row.
constexpr Byte kCellDefaults = 0x11, kCellTag = 0x12, kCellDataFormat = 0x13, kCellResetScaling = 0x14,
               kCellTransmitters = 0x15, kCellTempUnits = 0x16, kCellLineFrequency = 0x17,
               kCellChecksumMode = 0x18, kCellChecksum = 0x19;
constexpr Byte kCellAddressMode = 0x21, kCellAddressLinkA = 0x22, kCellAddressLinkB = 0x23, kCellCommsMode = 0x24,
               kCellBaudRate = 0x25, kCellStopBits = 0x26, kCellDataBits = 0x27, kCellParity = 0x28,
               kCellModbusMode = 0x29, kCellDiagnostics = 0x2A;

}  // namespace

void menu_loop(kdv::model::Session& session, Byte screen, Byte x, Byte y, const std::function<void()>& values,
              const std::function<void(Byte)>& act) {
  const kdv::ui::MenuCursor cursor(session, x, y);
  Byte option;
  do {
    values();
    kdv::ui::draw_background(session, 0);
    option = kdv::ui::run_menu(session, screen);
    act(option);
  } while (option != kdv::ui::kMenuEscape);
}

void clear_working() {
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(std::string(12, ' '));
}

std::string cell_title(const kdv::model::Session& session, int spaces) {
  return std::string(static_cast<std::size_t>(spaces), ' ') +
         session.screens[session.screen_number].cells[session.cursor_column][session.cursor_row].label.str();
}

bool send_change(const Session& session, const std::function<kdv::link::Outcome()>& command) {
  if (!session.online) return true;
  kdv::ui::show_working(session);
  const kdv::link::Outcome outcome = command();
  clear_working();
  if (outcome.ok()) return true;
  kdv::ui::show_link_error(session, outcome.text);
  return false;
}

std::optional<int> choose_from_list(const kdv::model::Session& session, const std::string& title, const std::vector<std::string>& items, int y,
                          int current) {
  const int n = static_cast<int>(items.size());
  kdv::ui::draw_choice_window(session, 30, static_cast<Byte>(y), title, items);
  // A stored code no item stands for highlights the first item.
  const int first = current >= 1 && current <= n ? current : 1;
  return kdv::ui::choice_list(session, items, static_cast<Byte>(first));
}

void receiver_settings_menu(Session& session) {
  menu_loop(session, 1, 1, 1, [&session] { kdv::edit::fill_receiver_values(session); }, [&](Byte option) {
    switch (option) {
      case kCellDefaults: edit_defaults(session); break;
      case kCellTag: edit_tag(session); break;
      case kCellDataFormat: edit_data_format(session); break;
      case kCellResetScaling: reset_scalings(session, session.receiver_number, session.current_receiver().TRANSMITTER[session.transmitter_number].TXTYPE); break;
      case kCellTransmitters: edit_transmitter_count(session); break;
      case kCellTempUnits: edit_temperature_units(session); break;
      case kCellLineFrequency:
        if (session.current_receiver().TRANSMITTER[session.transmitter_number].TXTYPE == 1) edit_line_rejection(session);
        break;
      case kCellChecksumMode: edit_checksum_mode(session); break;
      case kCellChecksum: edit_checksum_base(session, session.receiver_number); break;
      case kCellAddressMode:
      case kCellCommsMode:
      case kCellModbusMode: kdv::ui::say_read_only(session); break;
      case kCellAddressLinkA: edit_address(session, session.receiver_number, 1); break;
      case kCellAddressLinkB: edit_address(session, session.receiver_number, 2); break;
      case kCellBaudRate: edit_baud_rate(session, session.receiver_number); break;
      case kCellStopBits: edit_stop_bits(session, session.receiver_number); break;
      case kCellDataBits: edit_data_bits(session, session.receiver_number); break;
      case kCellParity: edit_parity(session, session.receiver_number); break;
      case kCellDiagnostics: kdv::edit::diagnostics_menu(session, session.receiver_number); break;
      default: break;
    }
  });
}

void edit_baud_rate(Session& session, int r) {
  if (!serial_editable(session, r)) return;
  edit_code(session, session.receivers[r]->MOD_BAUD,
           {"        300         ", "        600         ", "       1200         ",
            "       2400         ", "       4800         ", "       9600         ",
            "      19200         "},
           10, 0, [&session] { return send_serial_settings(session); }, 2);
}

void edit_stop_bits(Session& session, int r) {
  if (!serial_editable(session, r)) return;
  edit_code(session, session.receivers[r]->MOD_STOP, {"         1          ", "         2          "}, 15, 0,
           [&session] { return send_serial_settings(session); });
}

void edit_data_bits(Session& session, int r) {
  if (!serial_editable(session, r)) return;
  edit_code(session, session.receivers[r]->MOD_DBITS, {"         7          ", "         8          "}, 15, 1,
           [&session] { return send_serial_settings(session); });
}

void edit_parity(Session& session, int r) {
  if (!serial_editable(session, r)) return;
  edit_code(session, session.receivers[r]->MOD_PARITY,
           {"   " + session.messages[kMessageParityNone] + "       ",
            "   " + session.messages[kMessageParityOdd] + "        ",
            "   " + session.messages[kMessageParityEven] + "       "},
           15, 1, [&session] { return send_serial_settings(session); });
}

void edit_transmitter_count(Session& session) {
  ReceiverRecord& receiver = session.current_receiver();
  const Byte old = receiver.NO_OF_TX;
  const std::optional<int> p = choose_from_list(session, cell_title(session),
                                      {"         1         ", "         2         ",
                                       "         3         ", "         4         "},
                                      15, receiver.NO_OF_TX);
  if (p) receiver.NO_OF_TX = static_cast<Byte>(*p);
  // Also after Escape: a current transmitter beyond the count (possible
  // after an offline reset) goes back to 1.
  if (receiver.NO_OF_TX < session.transmitter_number) session.transmitter_number = 1;
  if (!p) return;
  if (!send_change(session, [&session] { return kdv::link::Link(session).SET_NO_TX(session.receiver_number); }))
    receiver.NO_OF_TX = old;
}

void edit_temperature_units(Session& session) {
  const std::string deg(1, kDegreeSign);
  edit_code(session, session.current_receiver().UNITS,
           {"        " + deg + "C        ", "        " + deg + "F        ", "         K         "},
           15, 0, [&session] { return kdv::link::Link(session).SET_TEMP(session.receiver_number); });
}

void edit_line_rejection(Session& session) {
  edit_code(session, session.current_receiver().LINE_REJ, {"       50Hz           ", "       60Hz           "}, 15, 1,
           [&session] { return kdv::link::Link(session).SET_LINEREJ(session.receiver_number); });
}

void edit_checksum_mode(Session& session) {
  edit_code(session, session.current_receiver().CHECK_MODE, {"        AUTO        ", "       MANUAL       "}, 15, 1,
           [&session] { return kdv::link::Link(session).SET_CSUMMODE(session.receiver_number); });
}

void edit_checksum_base(Session& session, int r) {
  ReceiverRecord& receiver = *session.receivers[r];
  const std::optional<int> p = choose_from_list(session, "    Display As...   ",
                                      {"      Decimal       ", "        Hex         "}, 15,
                                      receiver.CKSUM_BASE + 1);
  if (p) receiver.CKSUM_BASE = static_cast<Byte>(*p - 1);
}

void edit_address(Session& session, int r, int link) {
  ReceiverRecord& receiver = *session.receivers[r];
  if (!receiver.ADD_MODE) {
    kdv::ui::say_read_only(session);
    return;
  }
  Byte& field = link == 1 ? receiver.MOD_ADDRESSA : receiver.MOD_ADDRESSB;
  const Byte old = field;
  const std::optional<double> entry = kdv::ui::number_field(session, link == 1 ? " Address Link A" : " Address Link B", old, 1);
  if (!entry) return;
  field = static_cast<Byte>(std::trunc(*entry));
  if (!send_change(session, [&session, r] { return kdv::link::Link(session).SET_ADDRESS(r); })) field = old;
}

void edit_tag(Session& session) {
  ReceiverRecord& receiver = session.current_receiver();
  kdv::ui::draw_choice_window(session, 30, 15, cell_title(session), {"", ""});
  const kdv::model::Text<25> old = receiver.TAG_FIELD;
  const std::optional<std::string> entered = kdv::ui::text_field(receiver.TAG_FIELD);
  // The receiver's tag is always 25 characters, padded with spaces; after
  // Escape the old tag is padded all the same.
  receiver.TAG_FIELD = entered.value_or(old.str()) + std::string(29, ' ');
  if (!entered) return;
  if (!send_change(session, [&session] { return kdv::link::Link(session).SET_TAG(session.receiver_number); }))
    receiver.TAG_FIELD = old;
}

void edit_data_format(Session& session) {
  ReceiverRecord& receiver = session.current_receiver();
  std::vector<std::string> items;
  for (int i = 1; i <= 16; ++i) items.push_back("  " + kDataFormatNames[i]);
  const Byte before = receiver.DATA_FORMAT;
  // A code that names no format stands at the first position, so that even
  // Escape leaves a valid format behind (that of the first position).
  const int old = std::max(data_format_position(before), 1);
  const std::optional<int> chosen = choose_from_list(session, cell_title(session), items, 5, old);
  receiver.DATA_FORMAT = data_format_code(chosen.value_or(old));
  if (!session.online || !chosen) return;
  kdv::ui::show_working(session);
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_DATAFMT(session.receiver_number);
  clear_working();
  if (!outcome.ok()) {
    kdv::ui::show_link_error(session, outcome.text);
    receiver.DATA_FORMAT = before;
  } else if (is_unipolar(receiver.DATA_FORMAT)) {
    clear_unipolar_negatives(receiver);
  }
  // The receiver rescales every channel for a new format: send them all.
  kdv::transfer::download_configuration(session);
}

void reset_scalings(Session& session, int r, Byte type) {
  if (choose_from_list(session, " Reset Scalings?  ", {"        NO        ", "        YES       "}, 15, 1) != 2) return;
  if (!session.online) {
    init_scales(*session.receivers[r], type);
    return;
  }
  kdv::ui::show_working(session);
  const kdv::link::Outcome reset = kdv::link::Link(session).SEND_RESET(r, type + 8);
  clear_working();
  if (!reset.ok())
    kdv::ui::show_link_error(session, reset.text);
  else
    kdv::link::Link(session).SEND_CONFIRM(session.receiver_number);
  kdv::transfer::upload_configuration(session);
}

void edit_defaults(Session& session) {
  session.receiver_number = 0;
  const std::optional<int> type = choose_from_list(session, "     Tx Type      ", {"       571        ", "       572        "}, 15, 1);
  if (!type) return;
  kdv::ui::show_working(session);
  const kdv::link::Outcome outcome = reset_receiver(session, session.receiver_number, static_cast<Byte>(*type));
  kdv::ui::set_text_window(1, 1, 80, 25);
  clear_working();
  if (!outcome.ok()) kdv::ui::show_link_error(session, outcome.text);
}

kdv::link::Outcome reset_receiver(Session& session, int r, Byte type) {
  if (session.online) {
    kdv::link::Outcome outcome = kdv::link::Link(session).SEND_RESET(r, type);
    if (!outcome.ok()) return outcome;
    init_receiver(*session.receivers[r], type);
    outcome = kdv::transfer::upload_configuration(session);
    session.channel_number = 1;
    session.transmitter_number = 1;
    // No confirm after a failed upload: its failure is the outcome.
    if (outcome.ok()) outcome = kdv::link::Link(session).SEND_CONFIRM(r);
    return outcome;
  }
  kdv::ui::message_box(session, 25, 15, 30, 6, 8, "OFFLINE RESET",
               {"Database Reset", "Download required if", "receiver is to be reset"});
  init_receiver(*session.receivers[r], type);
  return {};
}

}  // namespace kdv::edit
