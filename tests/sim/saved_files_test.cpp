// The simulator's --rxd option: a saved configuration becomes the receiver's
// own state, and the link reads it back from there.
#include <gtest/gtest.h>

#include "files/file_pair.h"
#include "files/scratch_dir.h"
#include "link/link.h"
#include "link/link_fixture.h"
#include "options.h"

using namespace kdv::model;

namespace {

class SimFromFile : public ScratchDirOn<LinkTest> {};

TEST_F(SimFromFile, SavedConfigurationIsTheReceiversStateAndOptionsGoOverIt) {
  session.current_receiver().TAG_FIELD = "FROM FILE";
  session.current_receiver().NO_OF_TX = 2;
  init_transmitter(session.current_receiver(), 2, 2);
  session.current_receiver().TRANSMITTER[2].CHANNEL[4].SCALE_GAIN = 2.5;
  session.current_receiver().TRANSMITTER[1].CHANNEL[9].INPUT_TYPE = 3;
  ASSERT_TRUE(kdv::files::write_pair("plant", session.held_flags, session.current_receiver()));
  ReceiverRecord expected = session.current_receiver();
  expected.IPSWITCH = 0x40;
  init_model(session);

  kdv::sim::Options options;
  std::string error;
  ASSERT_TRUE(kdv::sim::parse_options({"--rxd", "plant.rxd", "--ip-switch", "40"}, options, error)) << error;
  kdv::sim::apply(options, rx);
  expected.CHECKSUM = rx.checksum();  // what it starts with counts as confirmed
  EXPECT_EQ(rx.state(), expected);

  kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
  link.READ_NO_TX(0);
  link.READ_TXTYPE(0, 2);
  link.READ_SCALES(0, 2, 4);
  link.READ_INPTYPE(0, 1, 9);
  ASSERT_FALSE(link.failed()) << link.outcome().text.str();
  EXPECT_EQ(session.current_receiver().NO_OF_TX, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].TXTYPE, 2);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[2].CHANNEL[4].SCALE_GAIN, 2.5);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[9].INPUT_TYPE, 3);
}

TEST_F(SimFromFile, UnreadableFileIsABadOption) {
  write_bytes("short.rxd", std::vector<std::uint8_t>(100, 0));
  for (const char* file : {"short.rxd", "missing.rxd"}) {
    kdv::sim::Options options;
    std::string error;
    EXPECT_FALSE(kdv::sim::parse_options({"--rxd", file}, options, error));
    EXPECT_EQ(error, std::string("bad value for --rxd: ") + file);
  }
}

}  // namespace
