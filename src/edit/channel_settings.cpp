#include "edit/channel_settings.h"

#include <algorithm>

#include "edit/scaling_calculator.h"
#include "edit/value_column.h"
#include "edit/receiver_settings.h"
#include "link/link.h"
#include "link/outcome.h"
#include "model/editor_rules.h"
#include "model/messages.h"
#include "transfer/upload.h"
#include "ui/console.h"
#include "ui/background.h"
#include "ui/popups.h"

namespace kdv::edit {

using namespace kdv::model;
using kdv::edit::cell_title;
using kdv::edit::choose_from_list;
using kdv::edit::send_change;

namespace {

TransmitterRecord& tx(kdv::model::Session& session) { return session.current_receiver().TRANSMITTER[session.transmitter_number]; }
ChannelRecord& ch(kdv::model::Session& session) { return tx(session).CHANNEL[session.channel_number]; }

// Channel 16 serves as the cold-junction sensor (as the last display found).
bool is_reserved(const Session& session) { return session.reserved_channel && session.channel_number == 16; }

// The answer to a setting that does not apply to this channel.
void say_not_applicable(kdv::model::Session& session) {
  kdv::ui::set_text_window(1, 1, 80, 25);
  kdv::ui::go_to_xy(5, 23);
  kdv::ui::text_background(session.error_bar);
  kdv::ui::write_text(session.messages[kMessageNotApplicable].view());
  kdv::ui::write_text('\a');
  kdv::ui::pause_ms(2000);
}

kdv::link::Outcome send_input_type(Session& s) { return kdv::link::Link(s).SET_INPTYPE(s.receiver_number, s.transmitter_number, s.channel_number); }
kdv::link::Outcome send_alarms(Session& s) { return kdv::link::Link(s).SET_ALARMS(s.receiver_number, s.transmitter_number, s.channel_number); }
kdv::link::Outcome send_scales(Session& s) { return kdv::link::Link(s).SET_SCALES(s.receiver_number, s.transmitter_number, s.channel_number); }

// A real-number setting of the current channel: entry (refused where
// `acceptable` refuses it), the refusal of negatives under a unipolar data
// format where `unipolar_check`, the send.
void edit_number(Session& session, double& field, bool unipolar_check, kdv::link::Outcome (*command)(Session&),
                const std::function<bool(double)>& acceptable = {}) {
  const double old = field;
  const std::optional<double> entry = kdv::ui::number_field(session, cell_title(session), old, 0, acceptable);
  field = entry.value_or(old);
  // Also after Escape: a negative old value under a unipolar format is
  // refused again.
  if (unipolar_check && is_unipolar(session.current_receiver().DATA_FORMAT) && field < 0) {
    field = old;
    kdv::ui::say_no_negatives(session);
    return;
  }
  if (!entry) return;
  if (!send_change(session, [&session, command] { return command(session); })) field = old;
}

// The two-page input list of a type 571 transmitter. Gives the chosen input
// type, or -1 after Escape on either page.
int choose_input_571(const kdv::model::Session& session, Byte current) {
  const std::string title = cell_title(session);
  int pos = current;
  for (;;) {
    std::vector<std::string> items;
    if (pos < 15) {
      // Page A; on channel 16 the RTD types give way to the "more" entry.
      for (int i = 1; i <= 16; ++i) items.push_back("  " + kInputTypes571Page1[i]);
      if (session.channel_number == 16) {
        items.resize(14);
        items[13] = "  " + kInputTypes571Page1[16];
      }
      kdv::ui::draw_background(session, 0);
      const std::optional<int> p = choose_from_list(session, title, items, 5, pos + 1);
      if (!p) return -1;
      pos = *p - 1;
      // The "more" entry turns to page B.
      const bool more = pos == 15 || (pos == 13 && session.channel_number == 16);
      if (!more) return pos;
      pos = 16;
    } else {
      for (int i = 1; i <= 13; ++i) items.push_back("  " + kInputTypes571Page2[i]);
      kdv::ui::draw_background(session, 0);
      const std::optional<int> p = choose_from_list(session, title, items, 5, pos - 15);
      if (!p) return -1;
      pos = *p + 15;
      if (pos != 28) return pos;
      pos = 0;
    }
  }
}

// The input list of a type 572 transmitter; -1 after Escape.
int choose_input_572(const kdv::model::Session& session, Byte current) {
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i) items.push_back("  " + kInputTypes572[i]);
  const int pre = current == 13 ? 2 : current == 15 ? 3 : 1;
  const std::optional<int> p = choose_from_list(session, cell_title(session), items, 12, pre);
  if (!p) return -1;
  return *p == 1 ? 0 : *p == 2 ? 13 : 15;
}

// Both alarm editors: thresholds do not apply to an unused input (type 15 on
// a 571) nor to a cold-junction channel.
void edit_alarm(kdv::model::Session& session, double ChannelRecord::*threshold) {
  if (!alarms_apply(tx(session), session.channel_number)) {
    say_not_applicable(session);
    return;
  }
  edit_number(session, ch(session).*threshold, true, send_alarms);
}

// Cells of the channel setup menu: 0x10 x column + row.
constexpr Byte kCellTransmitter = 0x11, kCellTxType = 0x12, kCellChannel = 0x13, kCellInputType = 0x14,
               kCellDrive = 0x15, kCellHighAlarm = 0x16, kCellLowAlarm = 0x17;
constexpr Byte kCellInputZero = 0x21, kCellOutputZero = 0x22, kCellGain = 0x23, kCellScalingCalc = 0x24;

}  // namespace

std::vector<std::string> numbered_lines(int n) {
  std::vector<std::string> items;
  for (int i = 1; i <= n; ++i) items.push_back(kdv::ui::right_aligned(i, 10) + std::string(11, ' '));
  return items;
}

void channel_settings_menu(Session& session) {
  kdv::edit::menu_loop(session, 8, 1, 1, [&session] { kdv::edit::fill_channel_values(session); }, [&](Byte option) {
    switch (option) {
      case kCellTransmitter: choose_transmitter(session); break;
      case kCellTxType: edit_transmitter_type(session); break;
      case kCellChannel: choose_channel(session); break;
      case kCellInputType: edit_input_type(session); break;
      case kCellDrive: edit_drive(session); break;
      case kCellHighAlarm: edit_high_alarm(session); break;
      case kCellLowAlarm: edit_low_alarm(session); break;
      case kCellInputZero: edit_input_zero(session); break;
      case kCellOutputZero: edit_output_zero(session); break;
      case kCellGain: edit_gain(session); break;
      case kCellScalingCalc: kdv::edit::calculator_menu(session); break;
      default: break;
    }
  });
}

bool choose_transmitter(kdv::model::Session& session) {
  const int count = std::clamp<int>(session.current_receiver().NO_OF_TX, 1, 4);
  if (count < session.transmitter_number) session.transmitter_number = 1;
  const std::optional<int> p = choose_from_list(session, cell_title(session), numbered_lines(count), 15, session.transmitter_number);
  if (p) session.transmitter_number = static_cast<Byte>(*p);
  return p.has_value();
}

bool choose_channel(kdv::model::Session& session) {
  int count = 16;
  if (tx(session).TXTYPE != 1) {
    count = 8;
    if (session.channel_number > 8) session.channel_number = 1;
  }
  const std::optional<int> p = choose_from_list(session, cell_title(session), numbered_lines(count), 5, session.channel_number);
  if (p) session.channel_number = static_cast<Byte>(*p);
  return p.has_value();
}

void edit_transmitter_type(kdv::model::Session& session) {
  TransmitterRecord& transmitter = tx(session);
  const Byte old = transmitter.TXTYPE;
  const std::optional<int> p = choose_from_list(session, cell_title(session), {"       571            ", "       572            "}, 15, old);
  if (!p) return;
  transmitter.TXTYPE = static_cast<Byte>(*p);
  if (session.online) {
    kdv::ui::show_working(session);
    // The new type, then the transmitter read back; the first failure ends
    // the exchanges.
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    link.SET_TXTYPE(session.receiver_number, session.transmitter_number);
    kdv::edit::clear_working();
    if (!link.failed()) kdv::transfer::upload_transmitter(link, session.receiver_number, session.transmitter_number);
    if (link.failed()) {
      kdv::ui::show_link_error(session, link.outcome().text);
      transmitter.TXTYPE = old;
    }
  } else {
    init_transmitter(session.current_receiver(), session.transmitter_number, transmitter.TXTYPE);
  }
  if (transmitter.TXTYPE == 2) {
    if (session.channel_number > 8) session.channel_number = 1;
    // Thermocouples with cold-junction compensation exist on a 571 only.
    for (ChannelRecord& channel : transmitter.CHANNEL)
      if (channel.INPUT_TYPE >= 7 && channel.INPUT_TYPE <= 12) channel.INPUT_TYPE = 0;
  }
}

void edit_input_type(Session& session) {
  if (is_reserved(session)) {
    say_not_applicable(session);
    return;
  }
  ChannelRecord& channel = ch(session);
  const Byte old = channel.INPUT_TYPE;
  const int chosen = tx(session).TXTYPE == 1 ? choose_input_571(session, old == 15 ? 0 : old) : choose_input_572(session, old);
  if (chosen < 0) return;
  channel.INPUT_TYPE = static_cast<Byte>(chosen);
  if (!send_change(session, [&session] { return send_input_type(session); })) channel.INPUT_TYPE = old;
}

void edit_drive(kdv::model::Session& session) {
  // No drive on a 572, nor on an unused input (type 15) of a 571.
  if (!drive_applies(tx(session), session.channel_number)) {
    say_not_applicable(session);
    return;
  }
  std::vector<std::string> items;
  for (int i = 1; i <= 3; ++i)
    items.push_back("  " + session.messages[kMessageDriveUpscale - 1 + i] + std::string(8, ' '));
  ChannelRecord& channel = ch(session);
  const Byte old = channel.THC_DRIVE;
  const std::optional<int> p = choose_from_list(session, cell_title(session), items, 15, old + 1);
  if (!p) return;
  channel.THC_DRIVE = static_cast<Byte>(*p - 1);
  if (!send_change(session, [&session] { return send_input_type(session); })) channel.THC_DRIVE = old;
}

void edit_high_alarm(kdv::model::Session& session) { edit_alarm(session, &ChannelRecord::HIGH_ALARM); }
void edit_low_alarm(kdv::model::Session& session) { edit_alarm(session, &ChannelRecord::LOW_ALARM); }

void edit_input_zero(kdv::model::Session& session) { edit_number(session, ch(session).SCALE_IPZERO, false, send_scales); }

void edit_output_zero(Session& session, const std::function<bool(double)>& acceptable) {
  if (is_reserved(session)) {
    say_not_applicable(session);
    return;
  }
  edit_number(session, ch(session).SCALE_OPZERO, true, send_scales, acceptable);
}

void edit_gain(Session& session) {
  if (is_reserved(session)) {
    say_not_applicable(session);
    return;
  }
  edit_number(session, ch(session).SCALE_GAIN, false, send_scales);
}

}  // namespace kdv::edit
