// The copy function's work on the record.
#include "transfer/copy.h"

#include "transfer/copy_fixture.h"

using namespace kdv::model;

namespace {

TEST_F(CopyTest, OneChannelToAllChannelsOfA572CopiesSixteenRecords) {
  session.online = false;
  session.current_receiver().TRANSMITTER[2].TXTYPE = 2;
  kdv::transfer::CopySide source{0, 1, 3};
  kdv::transfer::CopySide dest{0, 2, kdv::transfer::kAll};
  kdv::transfer::Byte dload = 0;
  kdv::transfer::copy_settings(session, source, dest, dload);
  EXPECT_EQ(dload, 1);
  std::vector<std::string> expected;
  for (int c = 1; c <= 16; ++c) {
    expected.push_back("2." + std::to_string(c));
    EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[c], original.TRANSMITTER[1].CHANNEL[3]) << c;
  }
  EXPECT_EQ(changed(), expected);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].TXTYPE, 2);  // a channel copy keeps the transmitter's own fields
  EXPECT_TRUE(rx.requests().empty());
}

TEST_F(CopyTest, TransmitterCopiesAndAllDestinations) {
  session.online = true;  // copies of more than one channel are never sent by copy_settings itself
  session.current_receiver().TRANSMITTER[2].TXTYPE = 2;
  kdv::transfer::Byte dload = 0;
  // Whole transmitter 2 onto transmitter 3: type, cold junction and channels.
  kdv::transfer::copy_settings(session, {0, 2, kdv::transfer::kAll}, {0, 3, kdv::transfer::kAll}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].TXTYPE, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].CJTEMP.str(), "tx2");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[3].CHANNEL[16], original.TRANSMITTER[2].CHANNEL[16]);
  // Transmitter 1 onto all four.
  kdv::transfer::copy_settings(session, {0, 1, kdv::transfer::kAll}, {0, kdv::transfer::kAll, kdv::transfer::kAll}, dload);
  for (int t = 1; t <= 4; ++t) EXPECT_EQ(session.current_receiver().TRANSMITTER[t].CJTEMP.str(), "tx1") << t;
  // Channel 7 of transmitter 4 to channel 2 of every transmitter.
  *session.receivers[0] = original;
  kdv::transfer::copy_settings(session, {0, 4, 7}, {0, kdv::transfer::kAll, 2}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_EQ(changed(), (std::vector<std::string>{"1.2", "2.2", "3.2", "4.2"}));
  // An "all" source with a numbered destination is taken as all to all.
  *session.receivers[0] = original;
  kdv::transfer::copy_settings(session, {0, kdv::transfer::kAll, kdv::transfer::kAll}, {0, 2, 5}, dload);
  EXPECT_EQ(dload, 1);
  EXPECT_TRUE(changed().empty());
  EXPECT_TRUE(rx.requests().empty());
}

}  // namespace
