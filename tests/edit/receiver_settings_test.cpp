#include "edit/receiver_settings.h"

#include "edit/value_column.h"
#include "model/editor_rules.h"
#include "edit_fixture.h"

using namespace kdv::model;
using namespace kdv::edit;

namespace edit_test {
namespace {

using ReceiverSettings = EditTest;

TEST_F(ReceiverSettings, BaudRateChosenOfflineStoresTheCode) {
  user.down();  // from 9600 to 19200
  user.enter();
  run([this] { edit_baud_rate(session, 0); });
  EXPECT_EQ(rx().MOD_BAUD, 7);
  EXPECT_EQ(kdv::ui::screen_model().text(30, 10, 10), "  Cell 1,1");  // two-space title
  kdv::edit::fill_receiver_values(session);
  EXPECT_EQ(session.value_column[2][5], "    19200");
}

TEST_F(ReceiverSettings, BaudRate38400IsKeptOnEscape) {
  rx().MOD_BAUD = 8;
  user.escape();
  run([this] { edit_baud_rate(session, 0); });
  EXPECT_EQ(rx().MOD_BAUD, 8);
}

TEST_F(ReceiverSettings, SerialSettingsAreReadOnlyUnderHardwareCommsMode) {
  rx().COMM_MODE = false;
  const ReceiverRecord before = rx();
  for (auto editor : {edit_baud_rate, edit_stop_bits, edit_data_bits, edit_parity}) {
    kdv::ui::set_text_window(1, 1, 80, 25);
    kdv::ui::clear_window();
    user.key();
    run([this, editor] { editor(session, 0); });
    EXPECT_TRUE(shows("READ ONLY"));
    EXPECT_TRUE(shows("This parameter is selected"));
  }
  EXPECT_EQ(rx(), before);
}

TEST_F(ReceiverSettings, SerialListsMapPositionsToCodes) {
  user.down();
  user.enter();  // stop bits 1 -> 2
  user.up();
  user.enter();  // data bits code 1 (8) -> code 0 (7)
  user.downs(2);
  user.enter();  // parity none -> even
  run([this] {
    edit_stop_bits(session, 0);
    edit_data_bits(session, 0);
    edit_parity(session, 0);
  });
  EXPECT_EQ(rx().MOD_STOP, 2);
  EXPECT_EQ(rx().MOD_DBITS, 0);
  EXPECT_EQ(rx().MOD_PARITY, 2);
  EXPECT_TRUE(shows("   Even       "));
}

TEST_F(ReceiverSettings, FewerTransmittersMoveTheCurrentOneBack) {
  rx().NO_OF_TX = 4;
  session.transmitter_number = 3;
  user.ups(2);
  user.enter();
  run(edit_transmitter_count);
  EXPECT_EQ(rx().NO_OF_TX, 2);
  EXPECT_EQ(session.transmitter_number, 1);
  // An offline reset leaves one transmitter and the current one as it was;
  // the count's list moves it back even when left with Escape.
  rx().NO_OF_TX = 1;
  session.transmitter_number = 3;
  user.escape();
  run(edit_transmitter_count);
  EXPECT_EQ(rx().NO_OF_TX, 1);
  EXPECT_EQ(session.transmitter_number, 1);
}

TEST_F(ReceiverSettings, ModbusAddressOutOfRangeIsRefusedAndFractionsCut) {
  user.type("300");
  user.enter();
  user.type({8, 8, 8});
  user.type("12.7");
  user.enter();
  run([this] { edit_address(session, 0, 2); });
  EXPECT_EQ(rx().MOD_ADDRESSB, 12);
  EXPECT_EQ(user.bells, 1);
  EXPECT_EQ(kdv::ui::screen_model().text(30, 15, 15), " Address Link B");
}

TEST_F(ReceiverSettings, AddressIsReadOnlyUnderHardwareAddressMode) {
  rx().ADD_MODE = false;
  rx().MOD_ADDRESSA = 9;
  user.key();
  run([this] { edit_address(session, 0, 1); });
  EXPECT_EQ(rx().MOD_ADDRESSA, 9);
  EXPECT_TRUE(shows("by a switch in the KDV578"));
}

TEST_F(ReceiverSettings, TagIsPaddedTo25Characters) {
  user.type("ABC");
  user.enter();
  run(edit_tag);
  EXPECT_EQ(rx().TAG_FIELD, "ABC                      ");
  user.escape();
  run(edit_tag);
  EXPECT_EQ(rx().TAG_FIELD, "ABC                      ");
}

TEST_F(ReceiverSettings, DataFormatOfflineLeavesChannelValues) {
  ch(1, 1).SCALE_OPZERO = -5;
  user.downs(2);  // "16BIT Unsigned  "
  user.enter();
  run(edit_data_format);
  EXPECT_EQ(rx().DATA_FORMAT, 4);
  EXPECT_EQ(ch(1, 1).SCALE_OPZERO, -5);
}

TEST_F(ReceiverSettings, DataFormatWithoutNameBecomesIeeeEvenOnEscape) {
  rx().DATA_FORMAT = 15;
  user.escape();
  run(edit_data_format);
  EXPECT_EQ(rx().DATA_FORMAT, 0);
  rx().DATA_FORMAT = 18;
  user.escape();
  run(edit_data_format);
  EXPECT_EQ(rx().DATA_FORMAT, 18);
}

TEST_F(ReceiverSettings, SetUnipolarZeroesNegativesOfConfiguredTransmittersOnly) {
  rx().NO_OF_TX = 2;
  init_transmitter(*session.receivers[0], 2, 2);
  ch(1, 16).SCALE_GAIN = -2;
  ch(2, 8).HIGH_ALARM = -1;
  ch(2, 9).HIGH_ALARM = -1;  // beyond the 8 channels of a 572
  ch(3, 1).SCALE_OPZERO = -3;  // transmitter 3 is not configured
  clear_unipolar_negatives(*session.receivers[0]);
  EXPECT_EQ(ch(1, 1).LOW_ALARM, 0);  // -60 by default
  EXPECT_EQ(ch(1, 16).SCALE_GAIN, 0);
  EXPECT_EQ(ch(2, 8).HIGH_ALARM, 0);
  EXPECT_EQ(ch(2, 9).HIGH_ALARM, -1);
  EXPECT_EQ(ch(3, 1).SCALE_OPZERO, -3);
}

TEST_F(ReceiverSettings, OfflineResetShowsTheBoxAndResetsTheRecord) {
  rx().TAG_FIELD = "PUMP HOUSE               ";
  rx().NO_OF_TX = 3;
  user.down();  // 572
  user.enter();
  user.key();
  run(edit_defaults);
  EXPECT_TRUE(shows("OFFLINE RESET"));
  EXPECT_TRUE(shows("Download required if"));
  EXPECT_TRUE(shows(" Any key to Continue "));
  EXPECT_EQ(rx().TAG_FIELD, "Data not loaded          ");
  EXPECT_EQ(rx().NO_OF_TX, 1);
  EXPECT_EQ(rx().TRANSMITTER[1].TXTYPE, 2);
}

TEST_F(ReceiverSettings, ResetLeftWithEscapeChangesNothing) {
  rx().TAG_FIELD = "PUMP HOUSE               ";
  const ReceiverRecord before = rx();
  user.escape();
  run(edit_defaults);
  EXPECT_EQ(rx(), before);
}

TEST_F(ReceiverSettings, ScalingResetOfflineAppliesTheTypeDefaults) {
  ch(2, 4).SCALE_GAIN = 7;
  const ReceiverRecord before = rx();
  user.escape();  // Escape means NO
  run([this] { reset_scalings(session, 0, 1); });
  EXPECT_EQ(rx(), before);
  user.down();
  user.enter();
  run([this] { reset_scalings(session, 0, 2); });
  EXPECT_EQ(ch(2, 4).SCALE_GAIN, 1);
  EXPECT_EQ(rx().TRANSMITTER[2].TXTYPE, 2);
}

TEST_F(ReceiverSettings, MenuDispatchAndLineFrequencyOnlyFor571) {
  init_transmitter(*session.receivers[0], 1, 2);
  // Cell 1,7 on a 572 does nothing; cell 1,6 chooses units; Escape leaves.
  user.move(1, 1, 1, 7);
  user.enter();
  user.up();
  user.enter();
  user.down();
  user.enter();  // degrees F
  user.escape();
  session.cursor_column = 2;
  session.cursor_row = 3;
  run([this] { receiver_settings_menu(session); });
  EXPECT_EQ(rx().UNITS, 2);
  EXPECT_EQ(rx().LINE_REJ, 0);
  EXPECT_EQ(session.cursor_column, 2);  // the caller's highlight comes back
  EXPECT_EQ(session.cursor_row, 3);
}

}  // namespace
}  // namespace edit_test
