#include "edit/scaling_calculator.h"

#include "edit_fixture.h"

using namespace kdv::model;

namespace edit_test {
namespace {

class ScalingCalculatorScreen : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    ch().SCALE_IPZERO = 0;
    ch().SCALE_OPZERO = 0;
    ch().SCALE_GAIN = 1;
  }
  // Enter on the highlighted cell, a number, Enter.
  void enter_value(const char* number) {
    user.enter();
    user.type(number);
    user.enter();
  }
};

TEST_F(ScalingCalculatorScreen, IeeeStartValues) {
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(session.value_column[1][2], "    0.0000 mV");
  EXPECT_EQ(session.value_column[1][3], "  100.0000 mV");
  EXPECT_EQ(session.value_column[1][4], "    0.0000");
  EXPECT_EQ(session.value_column[1][5], "  100.0000");
  EXPECT_EQ(session.value_column[1][7], "    1.0000");
  EXPECT_EQ(session.value_column[1][8], "    1.0000");
  EXPECT_EQ(session.value_column[2][2], "      1");
  EXPECT_EQ(session.value_column[2][3], "      1");
  EXPECT_EQ(session.value_column[2][6], "    1.0000");
  EXPECT_EQ(session.value_column[2][7], "    0.0000 mV");
  EXPECT_EQ(session.screen_number, 10);
}

TEST_F(ScalingCalculatorScreen, UnipolarOffsetAndTheStoredInputZero) {
  session.current_receiver().DATA_FORMAT = 4;  // 16BIT Unsigned
  enter_value("0");      // signal zero, the first highlighted cell
  user.escape();
  // On the first pass the signal zero shows the offset taken away.
  std::vector<std::string> first_pass;
  user.on_wait = [&] {
    if (first_pass.empty()) first_pass = {session.value_column[1][2].str(), session.value_column[1][5].str(), session.value_column[2][7].str()};
  };
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(first_pass, (std::vector<std::string>{" -100.0000 mV", "       200", "  100.0000 mV"}));
  EXPECT_EQ(ch().SCALE_IPZERO, 100);
  EXPECT_EQ(session.value_column[1][2], "    0.0000 mV");
  EXPECT_EQ(session.value_column[2][4], "  100.0000 mV");
}

TEST_F(ScalingCalculatorScreen, GainFollowsTheFullScaleEntries) {
  user.down();
  enter_value("20");  // signal full scale
  user.downs(2);
  enter_value("4000");  // output full scale
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(ch().SCALE_GAIN, 200);
  EXPECT_EQ(session.value_column[2][6], "  200.0000");
  EXPECT_EQ(session.value_column[1][8], "  200.0000");  // example input 1
}

TEST_F(ScalingCalculatorScreen, EqualZeroAndFullScaleKeepTheGain) {
  ch().SCALE_GAIN = 3;
  user.down();
  enter_value("0");  // signal full scale = signal zero
  user.downs(2);
  enter_value("50");
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(ch().SCALE_GAIN, 3);
}

TEST_F(ScalingCalculatorScreen, NegativeOutputFullScaleRefusedUnderUnipolarFormat) {
  session.current_receiver().DATA_FORMAT = 8;  // 12BIT Unsigned
  user.downs(3);
  enter_value("-1");
  user.key();
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_TRUE(user.was_shown("not allow negative output values."));
  EXPECT_EQ(ch().SCALE_GAIN, 1);

  session.current_receiver().DATA_FORMAT = 6;  // 16BIT signed
  user.downs(3);
  enter_value("-1");
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(session.value_column[1][5], "        -1");
  EXPECT_DOUBLE_EQ(ch().SCALE_GAIN, -0.01);
}

TEST_F(ScalingCalculatorScreen, OutputNumbersCarryDecimalsOnlyForIeee) {
  for (Byte format : {0, 1, 5, 9, 18}) {
    session.current_receiver().DATA_FORMAT = format;
    ch().SCALE_OPZERO = 2.4;
    user.escape();
    run([this] { kdv::edit::calculator_menu(session); });
    const bool ieee = format <= 1;
    EXPECT_EQ(session.value_column[1][4], ieee ? "    2.4000" : "         2") << int(format);
    EXPECT_EQ(session.value_column[1][5], ieee ? "  102.4000" : "       102") << int(format);
    EXPECT_EQ(session.value_column[2][5], "    2.4000") << int(format);
  }
}

TEST_F(ScalingCalculatorScreen, CalculatedCellsAreReadOnly) {
  user.move(1, 2, 2, 6);
  user.enter();
  user.key();
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_TRUE(user.was_shown("These parameters are calculated "));
  EXPECT_EQ(session.cursor_column, 1);  // the channel menu's cursor is back
}

TEST_F(ScalingCalculatorScreen, OfflineSwitchStartsAgainFromTheNewChannel) {
  ch(1, 2).SCALE_GAIN = 5;
  ch(1, 2).SCALE_OPZERO = 10;
  user.down();
  enter_value("50");  // channel 1: signal full scale 50
  user.move(1, 3, 2, 3);
  user.enter();
  user.down();  // channel 2
  user.enter();
  user.escape();
  run([this] { kdv::edit::calculator_menu(session); });
  EXPECT_EQ(session.channel_number, 2);
  EXPECT_EQ(ch(1, 2).SCALE_GAIN, 5);  // not taken from channel 1's work
  EXPECT_EQ(session.value_column[1][5], "  510.0000");
}

// An entry giving a gain the link cannot carry is refused; Escape keeps the
// old value. Row 3 is the signal full scale, row 4 the output zero.
TEST_F(ScalingCalculatorScreen, EntriesGivingAGainTheLinkCannotCarryAreRefused) {
  for (auto [gain, row, refused] : {std::tuple{1000.0, 3, "0.00001"}, {0.001, 4, "-99999"}}) {
    ch().SCALE_GAIN = gain;  // output full scale 100 x gain
    user.down();
    if (row == 4) {
      enter_value("0.000001");  // gain 0.1 / 0.000001
      user.down();
    }
    enter_value(refused);
    user.escape();
    user.escape();
    run([this] { kdv::edit::calculator_menu(session); });
    EXPECT_TRUE(user.was_shown(" Error- Try again")) << row;
    EXPECT_NEAR(ch().SCALE_GAIN, row == 4 ? 1e5 : gain, 1e-6) << row;
  }
}

}  // namespace
}  // namespace edit_test
