#include "edit/channel_settings.h"

#include "edit/value_column.h"
#include "edit_fixture.h"

using namespace kdv::model;
using namespace kdv::edit;

namespace edit_test {
namespace {

class ChannelSettings : public EditTest {
 protected:
  void SetUp() override {
    EditTest::SetUp();
    session.screen_number = 8;
  }
  // The channel display of the menu pass sets the reserved-channel flag.
  void input_type() {
    kdv::edit::fill_channel_values(session);
    edit_input_type(session);
  }
};

TEST_F(ChannelSettings, FirstListLeadsToTheSecondAndBack) {
  user.up();  // the 16th item, "more"
  user.enter();
  user.enter();  // first item of the second list
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 16);

  user.up();  // pre-selected 16 - 15 = 1; up wraps to the 13th, "more"
  user.enter();
  user.downs(3);  // back on the first list, item 1 pre-selected
  user.enter();
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 3);
}

TEST_F(ChannelSettings, SecondListShowsTheRestOfThe571Types) {
  ch().INPUT_TYPE = 27;
  user.enter();  // pre-selected: the 12th item of the second list
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 27);
  EXPECT_TRUE(shows("  B THC with CJ "));
  EXPECT_EQ(kdv::ui::screen_model().text(30, 7, 15), "    S THC no CJ");
}

TEST_F(ChannelSettings, EscapeOnTheSecondListKeepsTheType) {
  ch().INPUT_TYPE = 5;
  const ChannelRecord before = ch();
  user.ups(6);  // from the 6th item up to the 16th, "more"
  user.enter();
  user.escape();
  run([this] { input_type(); });
  EXPECT_EQ(ch(), before);
}

TEST_F(ChannelSettings, Channel16OffersNoRtdTypes) {
  session.channel_number = 16;
  user.escape();
  run([this] { input_type(); });
  // The first list has 14 lines: the 14th ("more") on screen row 20.
  EXPECT_EQ(kdv::ui::screen_model().text(30, 20, 18), "   -----more----- ");
  EXPECT_EQ(kdv::ui::screen_model().text(30, 19, 18), "   T  THC with CJ ");
  user.up();  // so "more" leads on from there
  user.enter();
  user.downs(2);
  user.enter();
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 18);
}

TEST_F(ChannelSettings, ReservedChannel16RefusesInputTypeOutputZeroAndGain) {
  ch(1, 2).INPUT_TYPE = 10;  // compensated thermocouple: 16 is the sensor
  session.channel_number = 16;
  kdv::edit::fill_channel_values(session);
  const ChannelRecord before = ch();
  run([this] {
    edit_input_type(session);
    edit_output_zero(session);
    edit_gain(session);
  });
  EXPECT_EQ(ch(), before);
  EXPECT_EQ(user.bells, 3);
  EXPECT_EQ(user.delays, (std::vector<unsigned>{2000, 2000, 2000}));
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 14), "Not applicable");
  EXPECT_EQ(kdv::ui::screen_model().bg(5, 23), session.error_bar);
}

TEST_F(ChannelSettings, UnusedInputStartsTheFirstListAtItsTop) {
  ch().INPUT_TYPE = 15;
  user.enter();
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 0);
}

TEST_F(ChannelSettings, Type572ListAndDriveNotApplicable) {
  init_transmitter(*session.receivers[0], 1, 2);
  ch().INPUT_TYPE = 13;
  user.down();  // from RTD ohms to square root
  user.enter();
  run([this] { input_type(); });
  EXPECT_EQ(ch().INPUT_TYPE, 15);
  run(edit_drive);
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 14), "Not applicable");
  EXPECT_EQ(user.bells, 1);
}

TEST_F(ChannelSettings, DriveChoice) {
  user.downs(2);
  user.enter();
  run(edit_drive);
  EXPECT_EQ(ch().THC_DRIVE, 2);
  EXPECT_TRUE(shows("  Drive Down"));
  // Only a 572, or an unused input of a 571, has no drive: a transmitter of
  // an unknown type still offers the list.
  session.current_receiver().TRANSMITTER[1].TXTYPE = 3;
  ch().INPUT_TYPE = 15;
  user.up();
  user.enter();
  run(edit_drive);
  EXPECT_EQ(ch().THC_DRIVE, 1);
  EXPECT_EQ(user.bells, 0);
}

TEST_F(ChannelSettings, NegativeAlarmRefusedUnderUnipolarFormatButNegativeGainTaken) {
  session.current_receiver().DATA_FORMAT = 8;  // 12BIT Unsigned
  ch().LOW_ALARM = 2;
  user.type("-5");
  user.enter();
  user.key();
  run(edit_low_alarm);
  EXPECT_EQ(ch().LOW_ALARM, 2);
  EXPECT_TRUE(shows("UNIPOLAR DATA FORMAT"));
  user.type("-5");
  user.enter();
  run([this] { edit_gain(session); });
  EXPECT_EQ(ch().SCALE_GAIN, -5);
  session.current_receiver().DATA_FORMAT = 6;  // 16BIT signed takes negatives
  user.type("-5");
  user.enter();
  run(edit_high_alarm);
  EXPECT_EQ(ch().HIGH_ALARM, -5);
}

TEST_F(ChannelSettings, AlarmsOfAnUnusedInputDoNotApply) {
  ch().INPUT_TYPE = 15;
  run(edit_high_alarm);
  EXPECT_EQ(user.bells, 1);
  EXPECT_EQ(ch().HIGH_ALARM, 60);
}

TEST_F(ChannelSettings, Type572OffersEightChannels) {
  init_transmitter(*session.receivers[0], 1, 2);
  session.channel_number = 12;
  user.up();  // channel 1 pre-selected, up wraps to 8
  user.enter();
  run(choose_channel);
  EXPECT_EQ(session.channel_number, 8);
}

TEST_F(ChannelSettings, TransmitterChoiceStopsAtTheConfiguredCount) {
  session.current_receiver().NO_OF_TX = 2;
  session.transmitter_number = 4;
  user.up();  // from 1 (reset) wraps to 2
  user.enter();
  run(choose_transmitter);
  EXPECT_EQ(session.transmitter_number, 2);
  EXPECT_EQ(kdv::ui::screen_model().text(30, 17, 19), "         1         ");
}

TEST_F(ChannelSettings, OfflineTypeChangeGivesTheTypeDefaults) {
  session.channel_number = 12;
  ch(1, 3).SCALE_GAIN = 4;
  user.enter();  // 571 again: the defaults all the same
  run(edit_transmitter_type);
  EXPECT_EQ(ch(1, 3).SCALE_GAIN, 1);
  user.down();
  user.enter();
  run(edit_transmitter_type);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].TXTYPE, 2);
  EXPECT_EQ(session.channel_number, 1);
  EXPECT_EQ(ch(1, 16).HIGH_ALARM, 20);
}

}  // namespace
}  // namespace edit_test
