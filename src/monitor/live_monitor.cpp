#include "monitor/live_monitor.h"

#include <functional>
#include <string>

#include "link/link.h"
#include "link/outcome.h"
#include "model/colours.h"
#include "model/records.h"
#include "model/messages.h"
#include "model/value_text.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/menu.h"
#include "ui/popups.h"

namespace kdv::monitor {

using namespace kdv::model;

namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void write_at(int x, int y, std::string_view text) {
  kdv::ui::go_to_xy(x, y);
  kdv::ui::write_text(text);
}

// Writes text on the error colour, then returns to the background colour.
void write_alert(const kdv::model::Session& session, std::string_view text) {
  kdv::ui::text_background(session.error_bar);
  kdv::ui::write_text(text);
  kdv::ui::text_background(session.background);
}

// The alarm state after a value: the high or low text on the error colour,
// or blanks. low_tail is what follows the low text (the lists pad it to the
// width of the high text).
void write_alarm(kdv::model::Session& session, AlarmState alarm, std::string_view low_tail) {
  switch (alarm) {
    case kHigh:
      kdv::ui::write_text(' ');
      write_alert(session, session.messages[kMessageAlarmHigh].str() + " ");
      break;
    case kLow:
      kdv::ui::write_text(' ');
      write_alert(session, session.messages[kMessageAlarmLow].str().append(low_tail));
      break;
    default:
      kdv::ui::write_text(blanks(8));
      break;
  }
}

// A highway state: the healthy text and its padding, or the failed text on
// the error colour.
void write_highway(kdv::model::Session& session, bool healthy, std::string_view healthy_tail, std::string_view failed_tail) {
  if (healthy)
    kdv::ui::write_text(session.messages[kMessageHealthy].str().append(healthy_tail));
  else
    write_alert(session, session.messages[kMessageFailed].str().append(failed_tail));
}

std::string_view hand_held_text(kdv::model::Session& session, const kdv::link::Outcome& read) {
  return session.messages[read.hand_held ? kMessageHandHeldActive : kMessageHandHeldInactive].view();
}

TransmitterRecord& current_transmitter(kdv::model::Session& session) { return session.current_receiver().TRANSMITTER[session.transmitter_number]; }

// The reading of a pass on the link, after the cold-junction temperature;
// type is set to the transmitter type the reply reports.
using Reading = std::function<kdv::link::Outcome(kdv::link::Link&, int& type)>;
// Draws a pass with the transmitter type and the pass's outcome.
using Drawing = std::function<void(int type, const kdv::link::Outcome&)>;

// The live loop both monitors share. Each pass shows the working text,
// reads the cold-junction temperature and then the values, draws them while
// the pass succeeded (draw), and shows an error or a failed transmitter for
// 5 seconds. The loop ends only in a pass in which the link gave up (Escape
// or no reply); that pass's error is not shown.
void live_loop(kdv::model::Session& session, const Reading& read, const Drawing& draw) {
  int type = 1;
  for (;;) {
    kdv::ui::set_text_window(1, 1, 80, 25);
    kdv::ui::text_background(kBlack);
    write_at(1, 25, session.messages[kMessageWorking].view());
    kdv::link::Outcome pass;
    {
      kdv::link::Link link(session);
      pass = link.READ_CJ(session.receiver_number, session.transmitter_number);
      if (pass.ok()) pass = read(link, type);
    }
    const bool last = pass.abandoned();
    write_at(1, 25, blanks(19));
    kdv::ui::text_background(session.background);
    draw(type, pass);
    write_at(5, 23, blanks(27));
    kdv::ui::go_to_xy(80, 25);
    if ((!pass.ok() || pass.old_values) && !last) {
      kdv::ui::go_to_xy(5, 23);
      write_alert(session, pass.text.view());
      write_at(80, 25, "\a");
      kdv::ui::pause_ms(5000);
    }
    if (last) return;
  }
}

// The value column and panel labels of the single-channel monitor.
void fill_channel_monitor_values(Session& session) {
  const TransmitterRecord& tx = current_transmitter(session);
  const ChannelRecord& ch = tx.CHANNEL[session.channel_number];
  session.reserved_channel = tx.TXTYPE == 1 && has_cold_junction_channel(session.current_receiver().TRANSMITTER[session.transmitter_number]);
  kdv::ui::draw_background(session, 0);

  auto& col = session.value_column[1];
  col[1] = "     " + kdv::ui::right_aligned(session.transmitter_number, 2);
  col[2] = "     " + kdv::ui::right_aligned(session.channel_number, 2);
  col[3] = units_text(session.current_receiver().UNITS);
  col[4] = input_type_name(tx.TXTYPE, ch.INPUT_TYPE);
  if (tx.TXTYPE == 1 && session.reserved_channel && session.channel_number == 16) {
    col[4] = session.messages[ch.INPUT_TYPE == 15 ? kMessageCjSensorUnknown : kMessageCjSensor].view();
    for (int row = 5; row <= 10; ++row) col[row] = session.messages[kMessageNotApplicable].view();
  } else {
    // A drive outside 0..2 (a damaged file) has no name: not applicable.
    const bool drive_applies = tx.TXTYPE == 1 && ch.INPUT_TYPE != 15 && ch.THC_DRIVE <= 2;
    col[5] = session.messages[drive_applies ? kMessageDriveUpscale + ch.THC_DRIVE : kMessageNotApplicable].view();
    col[6] = kdv::ui::fixed_decimal(ch.HIGH_ALARM, 10, 4);
    col[7] = kdv::ui::fixed_decimal(ch.LOW_ALARM, 10, 4);
    col[8] = kdv::ui::fixed_decimal(ch.SCALE_IPZERO, 10, 4);
    col[9] = kdv::ui::fixed_decimal(ch.SCALE_OPZERO, 10, 4);
    col[10] = kdv::ui::fixed_decimal(ch.SCALE_GAIN, 10, 4);
  }
  col[11] = "";

  write_at(47, 8, "Channel " + kdv::ui::right_aligned(session.channel_number, 2) + "  ");
  write_at(47, 10, session.messages[kMessageAlarm].view());
  write_at(47, 12, session.messages[kMessageCjTemp].view());
  write_at(47, 14, session.messages[kMessageHighway].str() + " 1    ");
  write_at(47, 16, session.messages[kMessageHighway].str() + " 2    ");
  write_at(47, 18, "QDU 57    ");
}

// The live panel of the single-channel monitor.
void draw_channel_panel(kdv::model::Session& session, int type, const kdv::link::Outcome& pass) {
  const ReceiverRecord& rx = session.current_receiver();
  const TransmitterRecord& tx = current_transmitter(session);
  const ChannelRecord& ch = tx.CHANNEL[session.channel_number];
  if (pass.ok()) {
    write_at(61, 8, ch.VALUE.str() + " ");
    kdv::ui::go_to_xy(65, 10);
    write_alarm(session, ch.ALARM, " ");
    write_at(61, 12, type == 1 ? tx.CJTEMP.str() + " " + tx.CJUNIT.str() : "      N/A");
    kdv::ui::go_to_xy(65, 14);
    write_highway(session, rx.HW1, "    ", " ");
    kdv::ui::go_to_xy(65, 16);
    write_highway(session, rx.HW2, "    ", " ");
    write_at(60, 18, hand_held_text(session, pass));
  }
}

// All channels of the current transmitter in two columns, and the status
// rows below them.
void draw_channel_list(kdv::model::Session& session, int type, const kdv::link::Outcome& pass) {
  if (!pass.ok()) return;
  const ReceiverRecord& rx = session.current_receiver();
  const TransmitterRecord& tx = current_transmitter(session);
  const int count = (3 - type) * 8;
  const int half = count / 2;
  for (int i = 1; i <= count; ++i) {
    const int x = i <= half ? 8 : 47;
    const int row = i <= half ? i + 7 : i + 7 - half;
    write_at(x, row, "Channel " + kdv::ui::right_aligned(i, 2) + "  ");
    write_at(x + 12, row, tx.CHANNEL[i].VALUE.view());
    write_alarm(session, tx.CHANNEL[i].ALARM, "  ");
  }
  const int status = half + 8;
  write_at(8, status, session.messages[kMessageCjTemp].view());
  write_at(20, status, type == 1 ? tx.CJTEMP.str() + tx.CJUNIT.str() : "      N/A   ");
  write_at(47, status, session.messages[kMessageEldInput].view());
  write_at(59, status, session.messages[rx.ELD ? kMessageEldActive : kMessageEldInactive].str() + " ");
  write_at(8, status + 1, session.messages[kMessageHighway].str() + " 1");
  write_at(47, status + 1, session.messages[kMessageHighway].str() + " 2");
  kdv::ui::go_to_xy(23, status + 1);
  write_highway(session, rx.HW1, "   ", "");
  kdv::ui::go_to_xy(62, status + 1);
  write_highway(session, rx.HW2, "    ", "");
  write_at(8, status + 2, "QDU 57     ");
  write_at(18, status + 2, hand_held_text(session, pass));
}

// Cells of the monitor input menu: 0x10 x column + row.
constexpr int kInputCellTransmitter = 0x11, kInputCellChannel = 0x12, kInputCellTempUnits = 0x13,
              kInputCellInputType = 0x14, kInputCellDrive = 0x15, kInputCellHighAlarm = 0x16,
              kInputCellLowAlarm = 0x17, kInputCellInputZero = 0x18, kInputCellOutputZero = 0x19,
              kInputCellGain = 0x1A, kInputCellLiveMonitor = 0x1B;
// Cells of the monitor all menu.
constexpr int kAllCellTransmitter = 0x12, kAllCellStart = 0x14;

}  // namespace

void live_channel_loop(kdv::model::Session& session) {
  live_loop(
      session,
      [&session](kdv::link::Link& link, int& type) {
        return link.READ_INPUT(session.receiver_number, session.transmitter_number, session.channel_number, type);
      },
      [&session](int type, const kdv::link::Outcome& pass) { draw_channel_panel(session, type, pass); });
}

void live_all_channels_loop(kdv::model::Session& session) {
  live_loop(
      session, [&session](kdv::link::Link& link, int& type) { return link.READ_VALS(session.receiver_number, session.transmitter_number, type); },
      [&session](int type, const kdv::link::Outcome& pass) { draw_channel_list(session, type, pass); });
  kdv::ui::draw_background(session, 1);
}

void channel_monitor_menu(Session& session, const ChannelEditors& editors) {
  const kdv::ui::MenuCursor cursor(session, 1, 1);
  for (;;) {
    fill_channel_monitor_values(session);
    const int code = kdv::ui::run_menu(session, 4);
    if (code == kdv::ui::kMenuEscape) break;
    switch (code) {
      case kInputCellTransmitter: editors.choose_transmitter(session); break;
      case kInputCellChannel: editors.choose_channel(session); break;
      case kInputCellTempUnits: editors.edit_temperature_units(session); break;
      case kInputCellInputType: editors.edit_input_type(session); break;
      case kInputCellDrive: editors.edit_drive(session); break;
      case kInputCellHighAlarm: editors.edit_high_alarm(session); break;
      case kInputCellLowAlarm: editors.edit_low_alarm(session); break;
      case kInputCellInputZero: editors.edit_input_zero(session); break;
      case kInputCellOutputZero: editors.edit_output_zero(session); break;
      case kInputCellGain: editors.edit_gain(session); break;
      case kInputCellLiveMonitor: live_channel_loop(session); break;
      default: break;
    }
  }
}

void all_channels_monitor_menu(kdv::model::Session& session, const ChannelEditors::Action& choose_transmitter) {
  kdv::ui::draw_background(session, 1);
  const kdv::ui::MenuCursor cursor(session, 1, 4);
  for (bool done = false; !done;) {
    session.value_column[1][1] = kdv::ui::right_aligned(session.receiver_number, 5);
    session.value_column[1][2] = kdv::ui::right_aligned(session.transmitter_number, 5);
    session.value_column[1][3] = "   578  ";
    session.value_column[1][4] = "";
    switch (kdv::ui::run_menu(session, 3)) {
      case kAllCellTransmitter:
        choose_transmitter(session);
        kdv::ui::draw_background(session, 1);
        break;
      case kAllCellStart: live_all_channels_loop(session); break;
      case kdv::ui::kMenuEscape: done = true; break;
      default: break;
    }
  }
}

}  // namespace kdv::monitor
