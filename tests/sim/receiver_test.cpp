// The simulator's answer to every command in each parameter shape: what is
// refused with which code (and in which order the checks fall when several
// apply), what a reading returns and whether a change awaits confirmation.
#include <gtest/gtest.h>

#include <string>

#include "link/command_set.h"
#include "receiver.h"

namespace {

using namespace kdv::link;

struct Case {
  int command;
  std::string params;
  bool write_disabled;  // IP lever 7 set
  int refuse;           // the refusal code, -1 for an answer
  std::string data;     // the reply's data after the space (a refusal's code excluded)
  bool unconfirmed;     // the receiver holds a change awaiting confirmation afterwards
};

const std::string kAlarms = "     -10.5\r     100.0\r";
const std::string kScales = "       0.0\r\n       2.0\r\n      -1.0\r";
const std::string kTag = "A NEW TAG" + std::string(15, ' ') + "Z";

const Case kCases[] = {
    {3, "", false, 0, "", false},  // no such command
    {kCommandInput, "1", false, 1, "", false},
    {kCommandInput, "51", false, 2, "", false},
    {kCommandInput, "10", false, 2, "", false},
    {kCommandInput, "1A", false, 2, "", false},
    {kCommandColdJunction, "", false, 1, "", false},
    {kCommandColdJunction, "0", false, 2, "", false},
    {kCommandValues, "12", false, 1, "", false},
    {kCommandValues, "5", false, 2, "", false},
    {kCommandTransmitterCount, "", false, -1, "2", false},
    {kCommandTransmitterCount, "4", false, -1, "", true},
    {kCommandTransmitterCount, "5", false, 3, "", false},
    {kCommandTransmitterCount, "0", false, 3, "", false},
    {kCommandTransmitterCount, "3", true, 7, "", false},
    {kCommandTransmitterCount, "5", true, 7, "", false},
    {kCommandTransmitterCount, "33", true, 1, "", false},
    {kCommandTransmitterType, "", false, 1, "", false},
    {kCommandTransmitterType, "2", false, -1, "2572", false},
    {kCommandTransmitterType, "3", false, -1, "3571", false},
    {kCommandTransmitterType, "12", false, -1, "", true},
    {kCommandTransmitterType, "13", false, 3, "", false},
    {kCommandTransmitterType, "52", false, 2, "", false},
    {kCommandTransmitterType, "52", true, 2, "", false},
    {kCommandTransmitterType, "123", false, 1, "", false},
    {kCommandInputType, "15", false, -1, "15 T> D0", false},
    {kCommandInputType, "11:2", false, -1, "", true},
    {kCommandInputType, "1102", false, -1, "", true},
    {kCommandInputType, "11?0", false, 3, "", false},
    {kCommandInputType, "1103", false, 3, "", false},
    {kCommandInputType, "22=0", false, -1, "", true},
    {kCommandInputType, "2210", false, 3, "", false},
    {kCommandInputType, "1A10", false, 2, "", false},
    {kCommandInputType, "110", false, 1, "", false},
    {kCommandAlarms, "11", false, -1, "11\rALARMS\r\nL   -60.000\r\nH    60.000\r", false},
    {kCommandAlarms, "11" + kAlarms, false, -1, "", true},
    {kCommandAlarms, "11" + kAlarms, true, 7, "", false},
    {kCommandAlarms, "11     -10.5\n     100.0\r", true, 1, "", false},
    {kCommandAlarms, "11     -10.x\r     100.0\r", false, 1, "", false},
    {kCommandAlarms, "51" + kAlarms, false, 2, "", false},
    {kCommandScales, "16", false, -1, "16\r\n     0.000\r\n     2.500\r\n    -5.000\r", false},
    {kCommandScales, "11" + kScales, false, -1, "", true},
    {kCommandScales, "11" + kScales, true, 7, "", false},
    {kCommandScales, "11       0.0\r\n       2.0\r\r      -1.0\r", true, 1, "", false},
    {kCommandScales, "11", true, -1, "11\r\n     0.000\r\n     1.000\r\n     0.000\r", false},
    {kCommandTemperatureUnits, "", false, -1, "1", false},
    {kCommandTemperatureUnits, "3", false, -1, "", true},
    {kCommandTemperatureUnits, "4", false, 3, "", false},
    {kCommandLineRejection, "", false, -1, "0", false},
    {kCommandLineRejection, "1", false, -1, "", true},
    {kCommandLineRejection, "2", false, 3, "", false},
    {kCommandDataFormat, "", false, -1, "0", false},
    {kCommandDataFormat, "1", false, -1, "", true},
    {kCommandDataFormat, "2", false, 3, "", false},
    {kCommandChecksumMode, "", false, -1, "0", false},
    {kCommandChecksumMode, "1", false, -1, "", true},
    {kCommandChecksumMode, "2", false, 3, "", false},
    {kCommandChecksumMode, "1", true, 7, "", false},
    {kCommandTag, "", false, -1, "SIMULATED RECEIVER       ", false},
    {kCommandTag, kTag, false, -1, "", true},
    {kCommandTag, kTag, true, 7, "", false},
    {kCommandTag, "SHORT", false, 1, "", false},
    {kCommandSerialSettings, "", false, -1, "S  00  64", false},
    {kCommandSerialSettings, "", true, -1, "S  00  64", false},
    {kCommandSerialSettings, "81", false, -1, "", true},
    {kCommandSerialSettings, "91", false, 3, "", false},
    {kCommandSerialSettings, "0?", false, 3, "", false},
    {kCommandSerialSettings, "6@", false, 3, "", false},
    {kCommandSerialSettings, "6", false, 1, "", false},
    {kCommandAddress, "", false, -1, "S  0000  1112", false},
    {kCommandAddress, "", true, -1, "S  0000  1112", false},
    {kCommandAddress, "2?3?", false, -1, "", true},
    {kCommandAddress, "2@3?", false, 1, "", false},
    {kCommandAddress, "2@3?", true, 1, "", false},
    {kCommandAddress, "2?3?", true, 7, "", false},
    {kCommandAddress, "2?3", false, 1, "", false},
    {kCommandVersions, "", false, -1, "3.21  2.04", false},
    {kCommandVersions, "1", false, 1, "", false},
    {kCommandSwitches, "", false, -1, "000?", false},
    {kCommandSwitches, "", true, -1, "400?", false},
    {kCommandSwitches, "0", false, 1, "", false},
    {kCommandChecksum, "1", false, 1, "", false},
    {kCommandConfirm, "0", false, -1, "", false},
    {kCommandConfirm, "0", true, -1, "", false},
    {kCommandConfirm, "1", false, 1, "", false},
    {kCommandConfirm, "", false, 1, "", false},
    {kCommandReset, "1", false, -1, "", true},
    {kCommandReset, ":", false, -1, "", true},
    {kCommandReset, "3", false, 3, "", false},
    {kCommandReset, "1", true, 7, "", false},
    {kCommandReset, "", false, 1, "", false},
    {kCommandSignoff, "", false, -1, "", false},
    {kCommandSignoff, "", true, -1, "", false},
    {kCommandSignoff, "0", false, 1, "", false},
};

void PrintTo(const Case& k, std::ostream* os) {
  *os << "command " << k.command << ' ' << testing::PrintToString(k.params)
      << (k.write_disabled ? ", writing disabled" : "");
}

class SimCommands : public testing::TestWithParam<Case> {};

TEST_P(SimCommands, AnswerFollowsTheParameterShape) {
  const Case& k = GetParam();
  kdv::sim::Receiver rx;
  if (k.write_disabled) rx.state().IPSWITCH |= 0x40;
  kdv::sim::Bytes reply;
  for (std::uint8_t b : kdv::sim::Receiver::frame_of({0, k.command, k.params})) reply = rx.receive(b);
  ASSERT_GE(reply.size(), 8u);
  const bool refused = (reply[2] & 0x08) != 0;
  std::string data(reply.begin() + 7, reply.end() - 1);
  if (refused) {
    EXPECT_EQ(data.substr(0, 1), std::string(1, static_cast<char>('0' + k.refuse)));
    data.erase(0, 1);
  } else {
    EXPECT_EQ(k.refuse, -1);
  }
  EXPECT_EQ(data, k.data);
  EXPECT_EQ(rx.unconfirmed, k.unconfirmed);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, SimCommands, testing::ValuesIn(kCases), [](const auto& info) {
  return "Command" + std::to_string(info.param.command) + "Row" + std::to_string(info.index);
});

TEST(SimFaults, AStaleWriteReplyComesOnceAndItsWriteIsNotMade) {
  kdv::sim::Receiver rx;
  rx.faults.stale_write_reply = true;
  auto ask = [&rx](const std::string& params) {
    kdv::sim::Bytes reply;
    for (std::uint8_t b : kdv::sim::Receiver::frame_of({0, kCommandTransmitterCount, params})) reply = rx.receive(b);
    return reply;
  };
  const kdv::sim::Bytes read = ask("");
  EXPECT_EQ(ask("4"), read);
  EXPECT_EQ(rx.state().NO_OF_TX, 2);
  EXPECT_NE(ask("4"), read);
  EXPECT_EQ(rx.state().NO_OF_TX, 4);
}

}  // namespace
