// kdv578-sim run as a process: the link talks to it over its pseudo-terminal,
// and each fault option shows the effect it claims.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "files/file_pair.h"
#include "files/scratch_dir.h"
#include "link/link.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "model/records.h"
#include "process.h"
#include "support/fresh_model.h"

using namespace kdv::model;
using namespace kdv::link;

namespace {

const std::string kSim = std::string(KDV578_BINARY_DIR) + "/kdv578-sim";

class SimProcessTest : public FreshModel {
 protected:
  void SetUp() override { init_model(session); }
  void TearDown() override { set_port_factory(nullptr); }
  // Starts the simulator and selects its port.
  void start(std::vector<std::string> args) {
    process = std::make_unique<kdv::sim::Process>(kSim, std::move(args));
    session.selected_port = process->read_output();
    ASSERT_EQ(session.selected_port.rfind("/dev/", 0), 0u) << session.selected_port;
  }

  std::unique_ptr<kdv::sim::Process> process;
};

TEST_F(SimProcessTest, AFrameWrittenToItsPathGetsItsReply) {
  start({});
  PosixSerialPort port;
  port.connect_port(session.selected_port);
  for (char c : std::string("\x02\x02" "cP;\x03")) port.send_byte(static_cast<std::uint8_t>(c));
  std::string reply;
  for (std::uint8_t b = 0; (b = port.receive_byte(1000)) != 0;) {
    reply += static_cast<char>(b);
    if (b == 0x03) break;
  }
  EXPECT_EQ(reply, "\x02G@bP; 1\x03");
}

TEST_F(SimProcessTest, TheLinkReopensThePortForEveryExchange) {
  start({"--transmitters", "572,572,571"});
  Link link(session, OnFailure::kCarry);
  int type = 0;
  link.READ_TAG(0);
  link.READ_NO_TX(0);
  link.READ_TXTYPE(0, 2);
  link.READ_VALS(0, 2, type);
  ASSERT_FALSE(link.failed()) << link.outcome().text.str();
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "SIMULATED RECEIVER       ");
  EXPECT_EQ(session.current_receiver().NO_OF_TX, 3);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].TXTYPE, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[8].VALUE.size(), 11u);
  session.current_receiver().TRANSMITTER[1].CHANNEL[3].SCALE_OPZERO = -7.25;
  link.SET_SCALES(0, 1, 3);
  session.current_receiver().TRANSMITTER[1].CHANNEL[3].SCALE_OPZERO = 0;
  link.READ_SCALES(0, 1, 3);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[3].SCALE_OPZERO, -7.25);
}

TEST_F(SimProcessTest, NoReplyOption) {
  start({"--no-reply"});
  PosixSerialPort port;
  port.connect_port(session.selected_port);
  for (char c : std::string("\x02\x02" "cP;\x03")) port.send_byte(static_cast<std::uint8_t>(c));
  EXPECT_EQ(port.receive_byte(300), 0);
  EXPECT_EQ(port.last_error(), kTimeoutError);
}

TEST_F(SimProcessTest, FaultOptionsGiveTheirErrors) {
  struct Case {
    std::vector<std::string> args;
    const char* errmsg;
  };
  const Case cases[] = {
      {{"--short-reply"}, " CRC Error"},
      {{"--wrong-frame", "3"}, " Invalid Response"},
      {{"--wrong-frame=4"}, " Invalid Response"},
      {{"--noise", "4"}, "  ABORTED   "},
      {{"--pause", "1100:9"}, "  ABORTED   "},
      {{"--stop-after=9"}, "  ABORTED   "},
      {{"--refuse", "3"}, " Param Overange"},
      {{"--bad-numbers"}, " Data Error"},
      {{"--write-disabled"}, " Write Disabled"},
      {{"--ip-switch", "41"}, " Write Disabled"},
  };
  for (const Case& c : cases) {
    start(c.args);
    Link link{session};
    Outcome o = link.READ_ALARMS(0, 1, 1);
    if (std::string(c.errmsg) == " Write Disabled") {
      EXPECT_TRUE(o.ok());
      o = link.SET_ALARMS(0, 1, 1);
    }
    EXPECT_FALSE(o.ok()) << c.args[0];
    EXPECT_EQ(o.text, c.errmsg) << c.args[0];
  }
}

TEST_F(SimProcessTest, StatusAndSwitchOptions) {
  start({"--tx-failed", "--hht", "--ip-switch", "25", "--hca-switch", "16", "--noise", "3"});
  Link link{session};
  const Outcome o = link.READ_SWITCHES(0);
  EXPECT_TRUE(o.ok());
  EXPECT_TRUE(o.old_values);
  EXPECT_EQ(o.text, " Tx Failed");
  EXPECT_TRUE(o.hand_held);
  EXPECT_EQ(session.current_receiver().IPSWITCH, 0x25);
  EXPECT_EQ(session.current_receiver().HCASWITCH, 0x16);
  link.READ_ADDRESS(0);
  EXPECT_FALSE(session.current_receiver().ADD_MODE);
  EXPECT_EQ(session.current_receiver().MOD_ADDRESSA, 5);
}

TEST_F(SimProcessTest, FaultsLimitedToOneCommandAndLaterRequests) {
  start({"--refuse", "1", "--only-command", "17", "--fault-after", "1"});
  Link link{session};
  EXPECT_TRUE(link.READ_TAG(0).ok());  // the first request is spared
  EXPECT_TRUE(link.READ_TEMP(0).ok());
  EXPECT_EQ(link.READ_TAG(0).text, " Wrong Parameters");
}

TEST_F(SimProcessTest, AnotherReceiverNumberDoesNotAnswerReceiver0) {
  start({"--receiver", "1"});
  PosixSerialPort port;
  port.connect_port(session.selected_port);
  for (char c : std::string("\x02\x02" "cP;\x03")) port.send_byte(static_cast<std::uint8_t>(c));
  EXPECT_EQ(port.receive_byte(300), 0);
  for (char c : std::string("\x02\x02" "cQ;\x03")) port.send_byte(static_cast<std::uint8_t>(c));
  EXPECT_EQ(port.receive_byte(1000), 0x02);
}

TEST_F(SimProcessTest, PacedRepliesTakeTheirWireTime) {
  start({"--paced"});
  const auto begin = std::chrono::steady_clock::now();
  Link link{session};
  int type = 0;
  const Outcome o = link.READ_VALS(0, 1, type);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - begin)
                      .count();
  ASSERT_TRUE(o.ok());
  EXPECT_GE(ms, (link.reply().length + 1) * 1000 / 960);
  EXPECT_LT(ms, 2000);
}

TEST_F(SimProcessTest, HelpListsEveryOptionAndBadOptionsFail) {
  kdv::sim::Process help(kSim, {"--help"});
  const std::string text = help.read_output(true);
  EXPECT_EQ(help.exit_code(), 0);
  for (const char* option : {"--paced", "--no-reply", "--short-reply", "--wrong-frame", "--noise",
                             "--refuse", "--tx-failed", "--hht", "--bad-numbers",
                             "--write-disabled", "--ip-switch", "--only-command", "--fault-after", "--rxd",
                             "--keep-old", "--pause", "--stop-after", "--trickle", "--version"})
    EXPECT_NE(text.find(option), std::string::npos) << option;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--refuse", "12"}, {"--pause", "1100"}, {"--pause", "x:9"}, {"--stop-after", "-1"}}) {
    kdv::sim::Process bad(kSim, args);
    EXPECT_EQ(bad.exit_code(), 2) << args[1];
  }
}

class SimRxdProcess : public ScratchDirOn<SimProcessTest> {};

TEST_F(SimRxdProcess, StartsFromASavedConfiguration) {
  session.current_receiver().TAG_FIELD = "SAVED PLANT 7";
  session.current_receiver().NO_OF_TX = 3;
  init_transmitter(session.current_receiver(), 3, 2);
  ASSERT_TRUE(kdv::files::write_pair("plant7", session.held_flags, session.current_receiver()));
  init_model(session);
  start({"--rxd", (dir / "plant7.rxd").string()});
  Link link(session, OnFailure::kCarry);
  link.READ_TAG(0);
  link.READ_NO_TX(0);
  link.READ_TXTYPE(0, 3);
  ASSERT_FALSE(link.failed()) << link.outcome().text.str();
  EXPECT_TRUE(session.current_receiver().TAG_FIELD.view().starts_with("SAVED PLANT 7"));
  EXPECT_EQ(session.current_receiver().NO_OF_TX, 3);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].TXTYPE, 2);
  kdv::sim::Process missing(kSim, {"--rxd", "missing.rxd"});
  EXPECT_EQ(missing.exit_code(), 2);
}

}  // namespace
