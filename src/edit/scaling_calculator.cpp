#include "edit/scaling_calculator.h"

#include "edit/channel_settings.h"
#include "edit/receiver_settings.h"
#include "link/command_set.h"
#include "link/link.h"
#include "link/outcome.h"
#include "ui/popups.h"

namespace kdv::edit {

using namespace kdv::model;

namespace {

ChannelRecord& channel(kdv::model::Session& session) {
  return session.current_receiver().TRANSMITTER[session.transmitter_number].CHANNEL[session.channel_number];
}

double offset(kdv::model::Session& session) {
  return unipolar_offset(session.current_receiver().DATA_FORMAT, channel(session).INPUT_TYPE);
}

// An input value with the unit of the current channel's input.
std::string input_text(kdv::model::Session& session, double x) {
  const kdv::model::ReceiverRecord& receiver = session.current_receiver();
  return kdv::ui::value_with_unit(x, static_cast<Byte>(receiver.TRANSMITTER[session.transmitter_number].TXTYPE - 1),
                                  {channel(session).INPUT_TYPE, receiver.UNITS});
}

// An output value: the IEEE formats carry decimals, the integer formats none.
std::string output_text(kdv::model::Session& session, double x) {
  return kdv::ui::fixed_decimal(x, 10, session.current_receiver().DATA_FORMAT <= 1 ? 4 : 0);
}

// The gain that maps the working values' signal span onto their output
// span above output zero opzero; the stored gain when the span is empty.
double gain_of(kdv::model::Session& session, const WorkingValues& w, double opzero) {
  if (w.signal_full_scale == w.signal_zero) return channel(session).SCALE_GAIN;
  return (w.output_full_scale - opzero) / (w.signal_full_scale - w.signal_zero);
}

// A working value entered under the title of the highlighted cell; an entry
// that gives a gain the link cannot carry is refused.
void enter_value(kdv::model::Session& session, WorkingValues& w, double WorkingValues::*value) {
  const auto carried = [&session, &w, value](double e) {
    WorkingValues t = w;
    t.*value = e;
    return kdv::link::carries(gain_of(session, t, channel(session).SCALE_OPZERO));
  };
  const std::optional<double> entry = kdv::ui::number_field(session, kdv::edit::cell_title(session), w.*value, 0, carried);
  if (entry) w.*value = *entry;
}

// Switches to another transmitter or channel through `choose`. The scaling
// of the channel shown until now goes to the receiver online, unless the
// list was left with Escape after it had moved the selection itself; the
// working values start again from the channel now selected.
void switch_channel(kdv::model::Session& session, WorkingValues& w, bool (*choose)(kdv::model::Session&)) {
  const Byte t = session.transmitter_number, c = session.channel_number;
  const bool chosen = choose(session);
  w = start_values(session);
  if (!session.online || (!chosen && (t != session.transmitter_number || c != session.channel_number))) return;
  kdv::ui::show_working(session);
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_SCALES(session.receiver_number, t, c);
  if (!outcome.ok()) kdv::ui::show_link_error(session, outcome.text);
}

// Cells of the scaling calculator menu: 0x10 x column + row.
constexpr Byte kCellSignalZero = 0x12, kCellSignalFsd = 0x13, kCellOutputZero = 0x14, kCellOutputFsd = 0x15,
               kCellExampleInput = 0x17;
constexpr Byte kCellTransmitter = 0x22, kCellChannel = 0x23, kCellStoredInputZero = 0x24,
               kCellStoredOutputZero = 0x25, kCellStoredGain = 0x26, kCellStoredOffset = 0x27;

}  // namespace

double unipolar_offset(Byte data_format, Byte input_type) {
  if (!is_unipolar(data_format)) return 0.0;
  if (input_type == 0) return 100.0;
  if (input_type == 13 || input_type == 15) return 0.0;
  return 500.0;
}

double output_for(kdv::model::Session& session, double input) {
  const ChannelRecord& ch = channel(session);
  return (offset(session) + input - ch.SCALE_IPZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
}

void set_gain(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd) {
  ChannelRecord& ch = channel(session);
  ch.SCALE_GAIN = gain_of(session, {.signal_zero = sigzero, .signal_full_scale = sigfsd, .output_full_scale = opfsd}, ch.SCALE_OPZERO);
}

WorkingValues start_values(kdv::model::Session& session) {
  const ChannelRecord& ch = channel(session);
  WorkingValues w;
  w.signal_full_scale = 100.0;
  w.signal_zero = ch.SCALE_IPZERO - offset(session);
  w.output_full_scale = (w.signal_full_scale - w.signal_zero) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
  w.example_input = 1.0;
  return w;
}

void fill_calculator_values(kdv::model::Session& session, double sigzero, double sigfsd, double opfsd, double exin,
              double exout) {
  const ChannelRecord& ch = channel(session);
  auto& column = session.value_column;
  column[1][1] = " ";
  column[1][2] = input_text(session, sigzero);
  column[1][3] = input_text(session, sigfsd);
  column[1][4] = output_text(session, ch.SCALE_OPZERO);
  column[1][5] = output_text(session, opfsd);
  column[1][6] = " ";
  column[1][7] = kdv::ui::fixed_decimal(exin, 10, 4);
  column[1][8] = output_text(session, exout);
  column[2][1] = "";
  column[2][2] = "      " + kdv::ui::right_aligned(session.transmitter_number, 1);
  column[2][3] = "     " + kdv::ui::right_aligned(session.channel_number, 2);
  column[2][4] = input_text(session, ch.SCALE_IPZERO);
  column[2][5] = kdv::ui::fixed_decimal(ch.SCALE_OPZERO, 10, 4);
  column[2][6] = kdv::ui::fixed_decimal(ch.SCALE_GAIN, 10, 4);
  column[2][7] = input_text(session, offset(session));
}

void enter_signal_zero(kdv::model::Session& session, WorkingValues& w) {
  enter_value(session, w, &WorkingValues::signal_zero);
  channel(session).SCALE_IPZERO = offset(session) + w.signal_zero;
}

void enter_signal_full_scale(kdv::model::Session& session, WorkingValues& w) { enter_value(session, w, &WorkingValues::signal_full_scale); }

void enter_output_full_scale(kdv::model::Session& session, WorkingValues& w) {
  const double old = w.output_full_scale;
  enter_value(session, w, &WorkingValues::output_full_scale);
  if (is_unipolar(session.current_receiver().DATA_FORMAT) && w.output_full_scale < 0) {
    w.output_full_scale = old;
    kdv::ui::say_no_negatives(session);
  }
}

void enter_example_input(kdv::model::Session& session, double& exin) {
  if (const std::optional<double> entry = kdv::ui::number_field(session, kdv::edit::cell_title(session), exin, 0)) exin = *entry;
}

void calculator_menu(Session& session) {
  WorkingValues w = start_values(session);
  kdv::edit::menu_loop(session, 10, 1, 2, [&session, &w] {
    set_gain(session, w.signal_zero, w.signal_full_scale, w.output_full_scale);
    w.example_output = output_for(session, w.example_input);
    fill_calculator_values(session, w.signal_zero, w.signal_full_scale, w.output_full_scale, w.example_input, w.example_output);
  }, [&](Byte option) {
    switch (option) {
      case kCellSignalZero: enter_signal_zero(session, w); break;
      case kCellSignalFsd: enter_signal_full_scale(session, w); break;
      case kCellOutputZero:
        kdv::edit::edit_output_zero(session,
                       [&session, &w](double opzero) { return kdv::link::carries(gain_of(session, w, opzero)); });
        break;
      case kCellOutputFsd: enter_output_full_scale(session, w); break;
      case kCellExampleInput: enter_example_input(session, w.example_input); break;
      case kCellTransmitter: switch_channel(session, w, kdv::edit::choose_transmitter); break;
      case kCellChannel: switch_channel(session, w, kdv::edit::choose_channel); break;
      case kCellStoredInputZero:
      case kCellStoredOutputZero:
      case kCellStoredGain:
      case kCellStoredOffset: kdv::ui::say_calculated(session); break;
      default: break;
    }
  });
  kdv::ui::show_working(session);
  if (!session.online) return;
  const kdv::link::Outcome outcome = kdv::link::Link(session).SET_SCALES(session.receiver_number, session.transmitter_number, session.channel_number);
  if (!outcome.ok()) kdv::ui::show_link_error(session, outcome.text);
}

}  // namespace kdv::edit
