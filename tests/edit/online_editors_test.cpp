// The editors online against the receiver simulator, in-process.
#include <optional>

#include "edit/scaling_calculator.h"
#include "edit/channel_settings.h"
#include "edit/diagnostics_screen.h"
#include "edit/receiver_settings.h"
#include "files/record_images.h"
#include "edit_fixture.h"
#include "sim_port.h"

using namespace kdv::model;

namespace edit_test {
namespace {

// Command codes as the receiver numbers them.
enum : int {
  kSetInptype = 6,
  kSetAlarms = 8,
  kSetTag = 17,
  kSendConfirm = 25,
  kSendReset = 26,
  kSetDatafmt = 29,
  kSetComms = 31,
  kReadChecksum = 34,
  kSetScales = 35,
  kReadSwitches = 36,
};

class OnlineEditors : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    plug.emplace(sim, session);
    session.online = true;
    sim.state() = rx();  // the receiver holds what the record holds
    sim.state().HCASWITCH = 15;  // serial settings and addresses by software
    sim.state().IPSWITCH = 0;
  }
  void TearDown() override {
    plug.reset();
    EditTest::TearDown();
  }
  std::vector<int> commands() const {
    std::vector<int> out;
    for (const kdv::sim::Request& q : sim.requests()) out.push_back(q.command);
    return out;
  }
  ChannelRecord& sim_ch(int t, int c) { return sim.state().TRANSMITTER[t].CHANNEL[c]; }

  kdv::sim::Receiver sim;
  std::optional<kdv::sim::PluggedIn> plug;
};

TEST_F(OnlineEditors, EscapeSendsNothingWhileEnterOnTheSameValueSends) {
  user.escape();
  run([this] { kdv::edit::edit_baud_rate(session, 0); });
  EXPECT_TRUE(commands().empty());
  user.enter();  // 9600 again
  run([this] { kdv::edit::edit_baud_rate(session, 0); });
  EXPECT_EQ(commands(), std::vector<int>{kSetComms});
  EXPECT_EQ(rx().MOD_BAUD, 6);
  EXPECT_EQ(sim.state().MOD_BAUD, 6);
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 12), std::string(12, ' '));  // working text gone
}

// Escape in the pop-up of any editor sends nothing and leaves the record,
// the current transmitter and the current channel as they were.
TEST_F(OnlineEditors, EscapeInAnyEditorSendsNothing) {
  const struct {
    const char* name;
    std::function<void()> editor;
  } editors[] = {
      {"baud rate", [this] { kdv::edit::edit_baud_rate(session, 0); }},   {"stop bits", [this] { kdv::edit::edit_stop_bits(session, 0); }},
      {"data bits", [this] { kdv::edit::edit_data_bits(session, 0); }},   {"parity", [this] { kdv::edit::edit_parity(session, 0); }},
      {"address A", [this] { kdv::edit::edit_address(session, 0, 1); }}, {"address B", [this] { kdv::edit::edit_address(session, 0, 2); }},
      {"checksum base", [this] { kdv::edit::edit_checksum_base(session, 0); }},
      {"scaling reset", [this] { kdv::edit::reset_scalings(session, 0, 1); }},
      {"transmitter number", [this] { kdv::edit::choose_transmitter(session); }},
      {"channel number", [this] { kdv::edit::choose_channel(session); }},
      {"transmitters", [this] { kdv::edit::edit_transmitter_count(session); }},   {"units", [this] { kdv::edit::edit_temperature_units(session); }},
      {"line rejection", [this] { kdv::edit::edit_line_rejection(session); }}, {"checksum mode", [this] { kdv::edit::edit_checksum_mode(session); }},
      {"tag", [this] { kdv::edit::edit_tag(session); }},              {"data format", [this] { kdv::edit::edit_data_format(session); }},
      {"receiver reset", [this] { kdv::edit::edit_defaults(session); }}, {"transmitter type", [this] { kdv::edit::edit_transmitter_type(session); }},
      {"input type", [this] { kdv::edit::edit_input_type(session); }},  {"drive", [this] { kdv::edit::edit_drive(session); }},
      {"high alarm", [this] { kdv::edit::edit_high_alarm(session); }},    {"low alarm", [this] { kdv::edit::edit_low_alarm(session); }},
      {"input zero", [this] { kdv::edit::edit_input_zero(session); }},    {"output zero", [this] { kdv::edit::edit_output_zero(session); }},
      {"gain", [this] { kdv::edit::edit_gain(session); }},            {"flag clear", [this] { kdv::edit::clear_status_flag(session); }},
  };
  for (const auto& e : editors) {
    const kdv::files::RxdImage before = kdv::files::encode_rxd(rx());
    user.escape();
    run(e.editor);
    EXPECT_TRUE(commands().empty()) << e.name;
    EXPECT_EQ(kdv::files::encode_rxd(rx()), before) << e.name;
    EXPECT_EQ(session.transmitter_number, 1) << e.name;
    EXPECT_EQ(session.channel_number, 1) << e.name;
  }
}

TEST_F(OnlineEditors, OfflineChangesSendNothing) {
  session.online = false;
  const ReceiverRecord receiver_before = sim.state();
  user.down();
  user.enter();
  user.type("TAG");
  user.enter();
  run([this] {
    kdv::edit::edit_baud_rate(session, 0);
    kdv::edit::edit_tag(session);
  });
  EXPECT_EQ(rx().MOD_BAUD, 7);
  EXPECT_TRUE(commands().empty());
  EXPECT_EQ(sim.state(), receiver_before);
}

TEST_F(OnlineEditors, TagReachesTheReceiver) {
  user.type("ABC");
  user.enter();
  run(kdv::edit::edit_tag);
  EXPECT_EQ(commands(), std::vector<int>{kSetTag});
  EXPECT_EQ(sim.requests()[0].params, "ABC                      ");
  EXPECT_EQ(sim.state().TAG_FIELD, "ABC                      ");
}

TEST_F(OnlineEditors, UnipolarFormatZeroesNegativeOutputZerosAndDownloads) {
  ch(1, 3).SCALE_OPZERO = -5;
  sim_ch(1, 3).SCALE_OPZERO = -5;
  user.downs(2);  // "16BIT Unsigned  "
  user.enter();
  run(kdv::edit::edit_data_format);
  EXPECT_EQ(rx().DATA_FORMAT, 4);
  EXPECT_EQ(ch(1, 3).SCALE_OPZERO, 0);
  ASSERT_GT(commands().size(), 2u);
  EXPECT_EQ(commands()[0], kSetDatafmt);
  EXPECT_EQ(sim.state().DATA_FORMAT, 4);
  EXPECT_EQ(sim_ch(1, 3).SCALE_OPZERO, 0);  // the download sent the channel
}

TEST_F(OnlineEditors, RefusedFormatIsTakenBackAndStillDownloads) {
  sim.faults.refuse = 3;
  sim.faults.only_command = kSetDatafmt;
  ch(1, 3).SCALE_OPZERO = -5;
  user.downs(2);
  user.enter();
  run(kdv::edit::edit_data_format);
  EXPECT_EQ(rx().DATA_FORMAT, 0);
  EXPECT_EQ(ch(1, 3).SCALE_OPZERO, -5);
  EXPECT_EQ(commands()[0], kSetDatafmt);
}

TEST_F(OnlineEditors, FailedOutputZeroSendPutsTheOldValueBack) {
  session.screen_number = 8;
  ch().SCALE_OPZERO = 3;
  sim.faults.refuse = 3;
  sim.faults.only_command = kSetScales;
  user.type("7");
  user.enter();
  run([this] { kdv::edit::edit_output_zero(session); });
  EXPECT_EQ(ch().SCALE_OPZERO, 3);
  EXPECT_EQ(commands(), (std::vector<int>{kSetScales, kSetScales}));  // sent, and retried once
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 15), " Param Overange");
  EXPECT_EQ(user.bells, 1);
}

TEST_F(OnlineEditors, AlarmsSentWithBothThresholds) {
  session.screen_number = 8;
  user.type("-5");
  user.enter();
  run(kdv::edit::edit_low_alarm);
  EXPECT_EQ(commands(), std::vector<int>{kSetAlarms});
  EXPECT_EQ(sim_ch(1, 1).LOW_ALARM, -5);
  EXPECT_EQ(sim_ch(1, 1).HIGH_ALARM, 60);
}

TEST_F(OnlineEditors, EscapeOnTheSecondInputListSendsNothing) {
  session.screen_number = 8;
  user.up();
  user.enter();
  user.escape();
  run([this] { kdv::edit::edit_input_type(session); });
  EXPECT_TRUE(commands().empty());
  user.up();
  user.enter();
  user.enter();
  run([this] { kdv::edit::edit_input_type(session); });
  EXPECT_EQ(commands(), std::vector<int>{kSetInptype});
  EXPECT_EQ(sim_ch(1, 1).INPUT_TYPE, 16);
}

TEST_F(OnlineEditors, CalculatorSendsTheScalingWhenLeftAndOnSwitching) {
  session.screen_number = 8;
  user.down();
  user.enter();
  user.type("20");
  user.enter();  // signal full scale 20: gain 5 on the next pass
  user.move(1, 3, 2, 3);
  user.enter();
  user.down();
  user.enter();  // channel 2: channel 1's scaling goes out
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(commands(), (std::vector<int>{kSetScales, kSetScales}));
  EXPECT_EQ(sim.requests()[0].params.substr(0, 2), "11");
  EXPECT_EQ(sim.requests()[1].params.substr(0, 2), "12");
  EXPECT_EQ(sim_ch(1, 1).SCALE_GAIN, 5);
}

TEST_F(OnlineEditors, CalculatorLeftOfflineSendsNothing) {
  session.online = false;
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_TRUE(commands().empty());
}

TEST_F(OnlineEditors, DiagnosticsReadChecksumAndSwitchesAndConfirm) {
  session.screen_number = 9;
  sim.state().HCASWITCH = 65;
  user.move(1, 3, 2, 4);
  user.enter();
  user.down();  // YES: clear the flag
  user.enter();
  user.escape();
  run([this] { kdv::edit::diagnostics_menu(session, 0); });
  EXPECT_EQ(commands(), (std::vector<int>{kReadChecksum, kReadSwitches, kSendConfirm, kReadChecksum}));
  EXPECT_EQ(rx().HCASWITCH, 65);
  EXPECT_EQ(rx().MOD_MODE, 0);  // lever 7: ASCII
}

TEST_F(OnlineEditors, ScalingResetOnTheReceiverIsReadBack) {
  ch(1, 1).SCALE_GAIN = 9;
  sim_ch(1, 1).SCALE_GAIN = 9;
  user.down();
  user.enter();
  run([this] { kdv::edit::reset_scalings(session, 0, 1); });
  ASSERT_GE(commands().size(), 3u);
  EXPECT_EQ(commands()[0], kSendReset);
  EXPECT_EQ(sim.requests()[0].params, "9");
  EXPECT_EQ(commands()[1], kSendConfirm);
  EXPECT_EQ(ch(1, 1).SCALE_GAIN, 1);  // the upload brought the defaults back
}

}  // namespace
}  // namespace edit_test
