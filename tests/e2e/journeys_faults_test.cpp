// Fault journeys: the receiver vanishes, refuses, reports a failed
// transmitter or answers late, and the program is told to end in the middle
// of an upload. Each ends with the program still working (or ended cleanly)
// and the terminal in its normal modes.
#include <gtest/gtest.h>

#include <csignal>

#include "e2e/journey.h"

namespace {

using namespace std::chrono_literals;
using e2e::Journey;
using e2e::kLong;
using e2e::kShort;

TEST(Journeys, SimulatorKilledDuringUploadAbortsAndALaterUploadSucceeds) {
  Journey j({{}, {"--paced"}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  ASSERT_TRUE(j.s.wait_for(" Uploading  Rx  0 Tx  1 Ch", kShort)) << j.dump();
  j.s.kill_simulator();
  ASSERT_TRUE(j.s.wait_for("  ABORTED   ", kShort)) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());

  // With the port gone, an upload gives up at once.
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  ASSERT_TRUE(j.s.wait_for("  ABORTED   ", kShort)) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());

  ASSERT_TRUE(j.restart({})) << j.s.error();
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

// Every refusal code of the receiver, met at the first request of an upload
// (the tag): the text of the code (or the code) is shown, nothing more is
// read and the tag keeps its value.
class Refusal : public ::testing::TestWithParam<int> {};

TEST_P(Refusal, ShowsItsTextAndEndsTheUpload) {
  static const char* const kTexts[] = {" Protocol Error", " Wrong Parameters", " Tx/Ch Invalid",
                                      " Param Overange", " Tx Error",         " Context Error",
                                      " Unknown Error",  " Write Disabled"};
  const int code = GetParam();
  Journey j({{}, {"--refuse", std::to_string(code)}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  const std::string text = code < 8 ? kTexts[code] : " Refused code " + std::to_string(code);
  ASSERT_TRUE(j.s.wait_for("   " + text, kLong)) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  EXPECT_TRUE(j.shows("HCA:Unknown")) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 2));
  ASSERT_TRUE(j.s.wait_for("Temp units", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("Data not loaded")) << j.dump();
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

INSTANTIATE_TEST_SUITE_P(Journeys, Refusal, ::testing::Range(0, 10));

TEST(Journeys, RefusedSettingIsShownAndPutBack) {
  Journey j;
  ASSERT_NO_FATAL_FAILURE(j.open(true));
  ASSERT_TRUE(j.restart({"--write-disabled"})) << j.s.error();
  ASSERT_NO_FATAL_FAILURE(j.tag_field("SIMULATED RECEIV"));
  j.s.text("REFUSED");
  j.press({"Enter"});
  ASSERT_TRUE(j.s.wait_for(" Write Disabled", kShort)) << j.dump();
  ASSERT_TRUE(j.s.wait_gone(" Write Disabled", kShort)) << j.dump();
  EXPECT_TRUE(j.s.wait_for("Tag               SIMULATED RECEIV", kShort)) << j.dump();
  EXPECT_FALSE(j.shows("REFUSED"));
  j.press({"Escape"});
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

TEST(Journeys, SlowReceiverIsWaitedForUntilItIsTooSlow) {
  // The tag's reply 1.5 s late: the link waits it out.
  Journey j({{}, {"--delay", "1500", "--only-command", "17"}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 2));
  ASSERT_TRUE(j.s.wait_for("SIMULATED RECEIV", kShort)) << j.dump();
  j.press({"Escape"});

  // 6 s late is too late: the upload is abandoned, nothing hangs.
  ASSERT_TRUE(j.restart({"--delay", "6000", "--only-command", "17"})) << j.s.error();
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  ASSERT_TRUE(j.s.wait_for("  ABORTED   ", kShort)) << j.dump();
  ASSERT_NO_FATAL_FAILURE(j.at_menu());
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 2));
  ASSERT_TRUE(j.s.wait_for("Temp units", kShort)) << j.dump();
  EXPECT_TRUE(j.shows("SIMULATED RECEIV")) << j.dump();  // the failed reading kept the tag
  j.press({"Escape"});

  ASSERT_TRUE(j.restart({})) << j.s.error();
  ASSERT_NO_FATAL_FAILURE(j.upload());
  ASSERT_NO_FATAL_FAILURE(j.quit());
}

// Told to end in the middle of an upload: the terminal is given back in
// its normal modes and the program ends by the signal.
class EndingSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignal, DuringUploadRestoresTheTerminal) {
  Journey j({{}, {"--paced"}, {}, {}});
  ASSERT_NO_FATAL_FAILURE(j.open(false));
  ASSERT_NO_FATAL_FAILURE(j.choose(1, 1));
  ASSERT_TRUE(j.s.wait_for(" Uploading  Rx  0 Tx  1 Ch", kShort)) << j.dump();
  j.s.signal_program(GetParam());
  const std::optional<int> code = j.s.wait_exit(kShort);
  ASSERT_TRUE(code.has_value()) << j.dump();
  EXPECT_EQ(*code, 128 + GetParam());
  j.expect_terminal_restored();
}

INSTANTIATE_TEST_SUITE_P(Journeys, EndingSignal, ::testing::Values(SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == SIGTERM ? std::string("SIGTERM") : std::string("SIGHUP");
                         });

}  // namespace
