// The simulator's answer to every command in each parameter shape: what is
// refused with which code (and in which order the checks fall when several
// apply), what a reading returns and whether a change awaits confirmation.
#include <gtest/gtest.h>

#include <string>

#include "link/comms.h"
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
    {CMD_INPUT, "1", false, 1, "", false},
    {CMD_INPUT, "51", false, 2, "", false},
    {CMD_INPUT, "10", false, 2, "", false},
    {CMD_INPUT, "1A", false, 2, "", false},
    {CMD_CJ, "", false, 1, "", false},
    {CMD_CJ, "0", false, 2, "", false},
    {CMD_VALS, "12", false, 1, "", false},
    {CMD_VALS, "5", false, 2, "", false},
    {CMD_NO_TX, "", false, -1, "2", false},
    {CMD_NO_TX, "4", false, -1, "", true},
    {CMD_NO_TX, "5", false, 3, "", false},
    {CMD_NO_TX, "0", false, 3, "", false},
    {CMD_NO_TX, "3", true, 7, "", false},
    {CMD_NO_TX, "5", true, 7, "", false},
    {CMD_NO_TX, "33", true, 1, "", false},
    {CMD_TXTYPE, "", false, 1, "", false},
    {CMD_TXTYPE, "2", false, -1, "2572", false},
    {CMD_TXTYPE, "3", false, -1, "3571", false},
    {CMD_TXTYPE, "12", false, -1, "", true},
    {CMD_TXTYPE, "13", false, 3, "", false},
    {CMD_TXTYPE, "52", false, 2, "", false},
    {CMD_TXTYPE, "52", true, 2, "", false},
    {CMD_TXTYPE, "123", false, 1, "", false},
    {CMD_INPTYPE, "15", false, -1, "15 T> D0", false},
    {CMD_INPTYPE, "11:2", false, -1, "", true},
    {CMD_INPTYPE, "1102", false, -1, "", true},
    {CMD_INPTYPE, "11?0", false, 3, "", false},
    {CMD_INPTYPE, "1103", false, 3, "", false},
    {CMD_INPTYPE, "22=0", false, -1, "", true},
    {CMD_INPTYPE, "2210", false, 3, "", false},
    {CMD_INPTYPE, "1A10", false, 2, "", false},
    {CMD_INPTYPE, "110", false, 1, "", false},
    {CMD_ALARMS, "11", false, -1, "11\rALARMS\r\nL   -60.000\r\nH    60.000\r", false},
    {CMD_ALARMS, "11" + kAlarms, false, -1, "", true},
    {CMD_ALARMS, "11" + kAlarms, true, 7, "", false},
    {CMD_ALARMS, "11     -10.5\n     100.0\r", true, 1, "", false},
    {CMD_ALARMS, "11     -10.x\r     100.0\r", false, 1, "", false},
    {CMD_ALARMS, "51" + kAlarms, false, 2, "", false},
    {CMD_SCALES, "16", false, -1, "16\r\n     0.000\r\n     2.500\r\n    -5.000\r", false},
    {CMD_SCALES, "11" + kScales, false, -1, "", true},
    {CMD_SCALES, "11" + kScales, true, 7, "", false},
    {CMD_SCALES, "11       0.0\r\n       2.0\r\r      -1.0\r", true, 1, "", false},
    {CMD_SCALES, "11", true, -1, "11\r\n     0.000\r\n     1.000\r\n     0.000\r", false},
    {CMD_TEMP, "", false, -1, "1", false},
    {CMD_TEMP, "3", false, -1, "", true},
    {CMD_TEMP, "4", false, 3, "", false},
    {CMD_LINEREJ, "", false, -1, "0", false},
    {CMD_LINEREJ, "1", false, -1, "", true},
    {CMD_LINEREJ, "2", false, 3, "", false},
    {CMD_DATAFMT, "", false, -1, "0", false},
    {CMD_DATAFMT, "1", false, -1, "", true},
    {CMD_DATAFMT, "2", false, 3, "", false},
    {CMD_CSUMMODE, "", false, -1, "0", false},
    {CMD_CSUMMODE, "1", false, -1, "", true},
    {CMD_CSUMMODE, "2", false, 3, "", false},
    {CMD_CSUMMODE, "1", true, 7, "", false},
    {CMD_TAG, "", false, -1, "SIMULATED RECEIVER       ", false},
    {CMD_TAG, kTag, false, -1, "", true},
    {CMD_TAG, kTag, true, 7, "", false},
    {CMD_TAG, "SHORT", false, 1, "", false},
    {CMD_COMMS, "", false, -1, "S  00  64", false},
    {CMD_COMMS, "", true, -1, "S  00  64", false},
    {CMD_COMMS, "81", false, -1, "", true},
    {CMD_COMMS, "91", false, 3, "", false},
    {CMD_COMMS, "0?", false, 3, "", false},
    {CMD_COMMS, "6@", false, 3, "", false},
    {CMD_COMMS, "6", false, 1, "", false},
    {CMD_ADDRESS, "", false, -1, "S  0000  1112", false},
    {CMD_ADDRESS, "", true, -1, "S  0000  1112", false},
    {CMD_ADDRESS, "2?3?", false, -1, "", true},
    {CMD_ADDRESS, "2@3?", false, 1, "", false},
    {CMD_ADDRESS, "2@3?", true, 1, "", false},
    {CMD_ADDRESS, "2?3?", true, 7, "", false},
    {CMD_ADDRESS, "2?3", false, 1, "", false},
    {CMD_VERS, "", false, -1, "3.21  2.04", false},
    {CMD_VERS, "1", false, 1, "", false},
    {CMD_SWITCHES, "", false, -1, "000?", false},
    {CMD_SWITCHES, "", true, -1, "400?", false},
    {CMD_SWITCHES, "0", false, 1, "", false},
    {CMD_CHECKSUM, "1", false, 1, "", false},
    {CMD_CONFIRM, "0", false, -1, "", false},
    {CMD_CONFIRM, "0", true, -1, "", false},
    {CMD_CONFIRM, "1", false, 1, "", false},
    {CMD_CONFIRM, "", false, 1, "", false},
    {CMD_RESET, "1", false, -1, "", true},
    {CMD_RESET, ":", false, -1, "", true},
    {CMD_RESET, "3", false, 3, "", false},
    {CMD_RESET, "1", true, 7, "", false},
    {CMD_RESET, "", false, 1, "", false},
    {CMD_SIGNOFF, "", false, -1, "", false},
    {CMD_SIGNOFF, "", true, -1, "", false},
    {CMD_SIGNOFF, "0", false, 1, "", false},
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

}  // namespace
