// Frame traces read back as exchanges: an upload traced and decoded
// operation by operation, verdicts of refused and silent exchanges, and
// the verdicts of replies and lines as the link would judge them.
#include "link/trace_decode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "files/scratch_dir.h"
#include "link/command_set.h"
#include "link/link.h"
#include "link/link_fixture.h"
#include "link/trace.h"
#include "transfer/download.h"
#include "transfer/upload.h"

using namespace kdv::link;

namespace {

std::string file_text(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const TracedSetting* find(const std::vector<TracedSetting>& list, const std::string& key) {
  for (const auto& s : list)
    if (s.key == key) return &s;
  return nullptr;
}

class DecodedTransferTrace : public ScratchDirOn<LinkTest> {
 protected:
  void TearDown() override {
    stop_trace();
    ScratchDirOn<LinkTest>::TearDown();
  }
};

TEST_F(DecodedTransferTrace, AnUploadDecodesToEveryOperationInOrder) {
  rx.state().NO_OF_TX = 1;
  kdv::model::init_transmitter(rx.state(), 1, 1);
  rx.state().TRANSMITTER[1].CHANNEL[6].SCALE_GAIN = 2.5;
  rx.state().TRANSMITTER[1].CHANNEL[2].HIGH_ALARM = -12.5;
  ASSERT_FALSE(start_trace("upload.trace"));
  ASSERT_TRUE(kdv::transfer::upload_configuration(session).ok());
  stop_trace();

  const DecodedTrace trace = decode_trace(file_text("upload.trace"));
  EXPECT_TRUE(trace.damaged.empty());
  std::vector<std::string> expected = {"READ_TAG",     "READ_DATAFMT",  "READ_TEMP",     "READ_NO_TX",
                                       "READ_VERS",    "READ_COMMS",    "READ_ADDRESS",  "READ_CHECKSUM",
                                       "READ_CSUMMODE", "READ_SWITCHES", "READ_LINEREJ", "READ_TXTYPE"};
  for (int c = 1; c <= 16; ++c) expected.insert(expected.end(), {"READ_SCALES", "READ_ALARMS", "READ_INPTYPE"});
  ASSERT_EQ(trace.exchanges.size(), 60u);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TracedExchange& e = trace.exchanges[i];
    EXPECT_EQ(e.command, expected[i]) << i;
    EXPECT_EQ(e.verdict, Verdict::kGood) << i;
    EXPECT_EQ(e.attempt, "1");
    EXPECT_EQ(e.receiver, 0);
    ASSERT_TRUE(e.turnaround_ms);
    if (i >= 12) {
      EXPECT_EQ(e.place, "tx1.ch" + std::to_string((i - 12) / 3 + 1)) << i;
    }
  }
  // The reply's fields under the keys of the text format, codes by name.
  const struct {
    std::size_t exchange;
    const char* key;
    const char* value;
  } fields[] = {
      {0, "receiver.tag", "SIMULATED RECEIVER       "},
      {2, "receiver.temperature_units", "C"},
      {3, "receiver.transmitters", "1"},
      {4, "reported.hca_version", "2.04"},
      {5, "receiver.baud", "9600"},
      {5, "reported.comms_mode", "software"},
      {6, "receiver.address_a", "17"},
      {9, "reported.modbus_mode", "rtu"},
      {11, "tx1.type", "571"},
      {12 + 3 * 5, "tx1.ch6.gain", "2.500"},
      {13 + 3 * 1, "tx1.ch2.high_alarm", "-12.500"},
      {14, "tx1.ch1.drive", "upscale"},
  };
  for (const auto& f : fields) {
    const TracedSetting* s = find(trace.exchanges[f.exchange].fields, f.key);
    ASSERT_TRUE(s) << f.key;
    EXPECT_EQ(s->value, f.value) << f.key;
  }
}

TEST_F(DecodedTransferTrace, ADownloadsParametersReadUnderTheirKeys) {
  kdv::model::ReceiverRecord& r = session.current_receiver();
  r.NO_OF_TX = 1;
  kdv::model::init_transmitter(*session.receivers[0], 1, 1);
  r.TAG_FIELD = "NEW TAG";
  r.MOD_BAUD = 7;
  r.MOD_PARITY = 1;
  r.MOD_DBITS = 0;
  r.MOD_STOP = 2;
  r.MOD_ADDRESSA = 0x9A;
  r.MOD_ADDRESSB = 0x1F;
  kdv::model::ChannelRecord& ch3 = r.TRANSMITTER[1].CHANNEL[3];
  ch3.INPUT_TYPE = 13;
  ch3.THC_DRIVE = 2;
  ch3.LOW_ALARM = -7.25;
  ch3.HIGH_ALARM = 321;
  ch3.SCALE_GAIN = 4.5;
  ch3.SCALE_OPZERO = -1;
  ASSERT_FALSE(start_trace("download.trace"));
  ASSERT_TRUE(kdv::transfer::download_configuration(session).ok());
  stop_trace();

  std::map<std::string, std::string> sent;
  for (const TracedExchange& e : decode_trace(file_text("download.trace")).exchanges) {
    EXPECT_TRUE(e.fields.empty()) << e.command;  // a SET operation's reply holds no settings
    for (const TracedSetting& p : e.parameters) sent[p.key] = p.value;
  }
  const std::map<std::string, std::string> expected = {
      {"receiver.tag", "NEW TAG                  "},
      {"receiver.baud", "19200"},
      {"receiver.parity", "odd"},
      {"receiver.data_bits", "7"},
      {"receiver.stop_bits", "2"},
      {"receiver.address_a", "154"},
      {"receiver.address_b", "31"},
      {"tx1.type", "571"},
      {"tx1.ch3.input_type", "RTD Ohmic Output"},
      {"tx1.ch3.drive", "off"},
      {"tx1.ch3.low_alarm", "-7.250"},
      {"tx1.ch3.high_alarm", "321.000"},
      {"tx1.ch3.gain", "4.500"},
      {"tx1.ch3.output_zero", "-1.000"},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(sent[key], value) << key;
}

using DecodedFaultTrace = ScratchDirOn<LinkTest>;

TEST_F(DecodedFaultTrace, ARefusalAndATimeOutShowTheirVerdicts) {
  ASSERT_FALSE(start_trace("faults.trace"));
  rx.faults.refuse = 7;
  rx.faults.only_command = kCommandTag;
  session.current_receiver().TAG_FIELD = "BOILER HOUSE 3";
  link.SET_TAG(0);
  rx.faults.no_reply = true;
  rx.faults.only_command = kCommandTemperatureUnits;
  link.READ_TEMP(0);
  link.READ_NO_TX(0);
  stop_trace();

  const DecodedTrace trace = decode_trace(file_text("faults.trace"));
  ASSERT_EQ(trace.exchanges.size(), 4u);
  for (std::size_t i = 0; i < 2; ++i) {
    const TracedExchange& e = trace.exchanges[i];
    EXPECT_EQ(e.command, "SET_TAG");
    EXPECT_EQ(e.attempt, std::to_string(i + 1));
    EXPECT_EQ(e.verdict, Verdict::kRefused);
    EXPECT_EQ(e.refusal, 7);
    EXPECT_EQ(e.text, "Write Disabled");
    ASSERT_EQ(e.parameters.size(), 1u);
    EXPECT_EQ(e.parameters[0].key, "receiver.tag");
    EXPECT_EQ(e.parameters[0].value, "BOILER HOUSE 3           ");
  }
  EXPECT_EQ(trace.exchanges[2].command, "READ_TEMP");
  EXPECT_EQ(trace.exchanges[2].verdict, Verdict::kNoReply);
  EXPECT_EQ(trace.exchanges[2].text, "no byte within 1000 ms");
  EXPECT_FALSE(trace.exchanges[2].turnaround_ms);
  EXPECT_EQ(trace.exchanges[3].verdict, Verdict::kGood);
}

// Hand-made traces: what follows one request, and how it is judged.
struct Judged {
  const char* name;
  const char* trace;
  Verdict verdict;
  const char* text;
  int turnaround;  // -1: none
};

void PrintTo(const Judged& j, std::ostream* os) { *os << j.name; }

class TraceVerdicts : public ::testing::TestWithParam<Judged> {};

TEST_P(TraceVerdicts, FollowTheLinksRules) {
  const DecodedTrace trace = decode_trace(GetParam().trace);
  ASSERT_EQ(trace.exchanges.size(), 1u);
  const TracedExchange& e = trace.exchanges[0];
  EXPECT_EQ(e.verdict, GetParam().verdict) << verdict_name(e.verdict);
  EXPECT_EQ(e.text, GetParam().text);
  EXPECT_EQ(e.turnaround_ms.value_or(-1), GetParam().turnaround);
}

INSTANTIATE_TEST_SUITE_P(
    Trace, TraceVerdicts,
    ::testing::Values(
        Judged{"ThreeJunkBytesBeforeTheStxAreTolerated",
               "#\n10\t>\t1\t02 02 63 50 3B 03\t\n40\t<\t1\tFF FF FF 02 40 40 62 50 3B 20 31 03\t\n",
               Verdict::kGood, "", 30},
        Judged{"FourAreNot", "10\t>\t1\t02 02 63 50 3B 03\t\n40\t<\t1\tFF FF FF FF 02 40 40 62 50 3B 20 31 03\t\n",
               Verdict::kNoReply, "no STX among the first 4 bytes", -1},
        Judged{"ATimeOutCountsAsARead",
               "10\t>\t1\t02 02 63 50 3B 03\t\n1010\ttimeout\t1\t\tno byte within 1000 ms\n"
               "1020\t<\t1\t02 40 40 62 50 3B 20 31 03\t\n",
               Verdict::kGood, "", 1010},
        Judged{"AShortReplyIsInvalid", "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 40 62 50 3B 03\t\n",
               Verdict::kInvalid, "CRC Error", 2},
        Judged{"AnotherReceiversReplyIsInvalid",
               "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 40 62 51 3B 20 31 03\t\n", Verdict::kInvalid,
               "Invalid Response", 2},
        Judged{"ARefusal", "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 48 62 50 3B 20 35 03\t\n",
               Verdict::kRefused, "Context Error", 2},
        Judged{"ARefusalStandsAboveAShortReply", "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 48 62 50 03\t\n",
               Verdict::kRefused, "Refused code 208", 2},
        Judged{"AReplyWithoutEtxIsNoReply", "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 40 62\t\n",
               Verdict::kNoReply, "no ETX", -1},
        Judged{"ARequestCutShortByEscape", "10\t>\t1\t02 02 63\t..c\n", Verdict::kCut, "", -1},
        Judged{"AWholeFrameWithoutItsCommandByte", "10\t>\t1\t02 02 63 50 03\t\n", Verdict::kNoReply,
               "no request frame", -1},
        Judged{"ASignoffAwaitsNoReply", "10\t>\t1\t02 02 63 50 4C 03\t\n", Verdict::kSent, "", -1},
        Judged{"APortThatDidNotOpen", "0\tunopened\t1\t\tcannot open COM9: No such file\n", Verdict::kNoReply,
               "cannot open COM9: No such file", -1},
        Judged{"AGapInsideTheReplyIsNoReply",
               "10\t>\t1\t02 02 63 50 3B 03\t\n12\t<\t1\t02 40 40 62 50 3B 20\t\n"
               "1012\ttimeout\t1\t\tno byte within 1000 ms\n1020\t<\t1\t31 03\t\n",
               Verdict::kNoReply, "a gap inside the reply: no byte within 1000 ms", -1},
        Judged{"AReplyCutForItsTime",
               "10\t>\t1\t02 02 63 50 3B 03\t\n4900\t<\t1\t02 40 40 62 50\t\n"
               "5012\ttimeout\t1\t\tno byte within 100 ms\n"
               "5012\tcut\t1\t\tno ETX 5000 ms after the STX, 5 bytes received\n",
               Verdict::kNoReply, "no ETX 5000 ms after the STX, 5 bytes received", -1},
        Judged{"AWaitTheUserEnded",
               "10\t>\t1\t02 02 63 50 3B 03\t\n510\taborted\t1\t\tEscape or the stop signal ended the wait\n",
               Verdict::kAborted, "Escape or the stop signal ended the wait", -1},
        Judged{"AHangUp", "10\t>\t1\t02 02 63 50 41 03\t..cPA.\n11\thangup\t1\t\tthe line hung up\n",
               Verdict::kNoReply, "the line hung up", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TraceDecode, DamagedLinesAreNamedAndSkippedAndCutFramesSplit) {
  const DecodedTrace trace = decode_trace(
      "x\t>\t1\t02\t\n"
      "5\tsideways\t1\t02\t\n"
      "6\t>\t1\t0G\t\n"
      "7\t>\n"
      "8\t>\t\t02 02 63 50 02 02 63 50 41 03\t\n");
  const std::vector<std::string> damaged = {"line 1: no time in milliseconds",
                                            "line 2: unknown direction \"sideways\"",
                                            "line 3: the bytes are not hex pairs", "line 4: fewer than four fields"};
  EXPECT_EQ(trace.damaged, damaged);
  ASSERT_EQ(trace.exchanges.size(), 2u);
  EXPECT_EQ(trace.exchanges[0].verdict, Verdict::kCut);
  EXPECT_EQ(trace.exchanges[1].command, "READ_TAG");
  EXPECT_EQ(trace.exchanges[1].verdict, Verdict::kNoReply);
}

}  // namespace
