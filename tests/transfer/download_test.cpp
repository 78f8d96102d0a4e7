// Download against the simulator core: which transmitters are written, the
// order of the settings, the error shown twice, the abort shown once.
#include "transfer/download.h"

#include "transfer/transfer_fixture.h"

using namespace kdv::model;

namespace {

using Download = TransferTest;

constexpr int kReceiverSettings[] = {17, 29, 11, 4, 31, 15, 32};

// The transmitter numbers the type settings went to, in order.
std::vector<int> typed_transmitters(const kdv::sim::Receiver& rx) {
  std::vector<int> t;
  for (const auto& q : rx.requests())
    if (q.command == 5) t.push_back(q.params.at(0) - '0');
  return t;
}

TEST_F(Download, ConfiguredTransmittersOnlyInTheirOrder) {
  ReceiverRecord& r = session.current_receiver();
  r.NO_OF_TX = 2;
  init_transmitter(*session.receivers[0], 1, 1);
  init_transmitter(*session.receivers[0], 2, 2);
  r.TAG_FIELD = "NEW TAG                  ";
  r.TRANSMITTER[2].CHANNEL[8].SCALE_GAIN = 4.5;
  r.TRANSMITTER[1].CHANNEL[16].HIGH_ALARM = 321;

  EXPECT_TRUE(kdv::transfer::download_configuration(session).ok());

  std::vector<int> expected(std::begin(kReceiverSettings), std::end(kReceiverSettings));
  for (int t = 1; t <= 2; ++t) {
    expected.push_back(5);
    for (int c = 1; c <= (t == 1 ? 16 : 8); ++c) expected.insert(expected.end(), {6, 35, 8});
  }
  EXPECT_EQ(commands(), expected);
  EXPECT_EQ(typed_transmitters(rx), (std::vector<int>{1, 2}));
  EXPECT_EQ(progress.front(), " Downloading Rx 0");
  EXPECT_EQ(progress.back(), " Downloading  Tx  2 Ch  8");
  EXPECT_EQ(rx.state().TAG_FIELD, "NEW TAG                  ");
  EXPECT_DOUBLE_EQ(rx.state().TRANSMITTER[2].CHANNEL[8].SCALE_GAIN, 4.5);
  EXPECT_DOUBLE_EQ(rx.state().TRANSMITTER[1].CHANNEL[16].HIGH_ALARM, 321);
  EXPECT_TRUE(term.delays.empty());
  EXPECT_TRUE(session.receiver_present[0]);
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 35), std::string(35, ' '));
}

TEST_F(Download, TransmitterCodesChooseWhatIsWritten) {
  session.current_receiver().NO_OF_TX = 1;
  for (int t = 1; t <= 4; ++t) init_transmitter(*session.receivers[0], t, 2);

  kdv::transfer::copy_download(session, 0, kdv::transfer::kAllTransmitters);  // all four, whatever NO_OF_TX says
  EXPECT_EQ(typed_transmitters(rx), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(rx.requests().size(), 7u + 4 * 25);

  rx.clear_requests();
  kdv::transfer::copy_download(session, 0, 3);  // that one only
  EXPECT_EQ(typed_transmitters(rx), std::vector<int>{3});
  EXPECT_EQ(rx.requests().size(), 7u + 25);

  rx.clear_requests();
  EXPECT_TRUE(kdv::transfer::copy_download(session, 0, 0).ok());  // the receiver settings alone
  EXPECT_EQ(commands(), std::vector<int>(std::begin(kReceiverSettings), std::end(kReceiverSettings)));
}

TEST_F(Download, ACountAboveFourStopsAtTheFourthTransmitter) {
  session.current_receiver().NO_OF_TX = 9;
  kdv::transfer::download_configuration(session);  // the receiver refuses the count; the rest runs without traffic
  EXPECT_EQ(commands(), (std::vector<int>{17, 29, 11, 4, 4}));
  EXPECT_EQ(term.bells, 2);
  EXPECT_TRUE(session.receiver_present[0]);
}

TEST_F(Download, ADeviceErrorOnTheTagStopsTheTrafficAndIsShownTwice) {
  rx.state().IPSWITCH = 0x40;  // lever 7: writing disabled
  const ReceiverRecord before = rx.state();
  EXPECT_EQ(kdv::transfer::download_configuration(session).text, " Write Disabled");
  EXPECT_EQ(commands(), (std::vector<int>{17, 17}));  // refused, sent once more, then nothing
  EXPECT_EQ(shown(" Write Disabled"), 2);
  EXPECT_EQ(term.bells, 2);
  EXPECT_EQ(term.delays, (std::vector<unsigned>{2000, 2000}));
  EXPECT_EQ(rx.state(), before);
  EXPECT_TRUE(session.receiver_present[0]);  // marked present whatever the outcome
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 24), std::string(24, ' '));
}

TEST_F(Download, AReceiverThatDoesNotAnswerIsAbortedOnce) {
  rx.faults.no_reply = true;
  kdv::transfer::download_configuration(session);
  EXPECT_EQ(rx.requests().size(), 1u);
  EXPECT_EQ(shown("  ABORTED"), 1);
  EXPECT_EQ(term.bells, 1);
  EXPECT_TRUE(session.receiver_present[0]);
}

TEST_F(Download, EscapeDuringAChannelEndsTheDownloadAtOnce) {
  session.current_receiver().NO_OF_TX = 2;
  bool typed = false;
  also = [&] {
    if (!typed && rx.requests().size() == 7 + 1 + 3) {
      term.escape();
      typed = true;
    }
  };
  kdv::transfer::download_configuration(session);
  EXPECT_LE(rx.requests().size(), 7u + 1 + 4);
  EXPECT_EQ(typed_transmitters(rx), std::vector<int>{1});
  EXPECT_EQ(shown("  ABORTED"), 1);
}

// One value the link cannot carry stops the download before its first frame;
// one in a transmitter the download does not write does not.
TEST_F(Download, AValueTheLinkCannotCarryStopsItBeforeTheFirstFrame) {
  session.current_receiver().NO_OF_TX = 2;
  const ReceiverRecord sound = session.current_receiver();
  const std::function<void(ReceiverRecord&)> damages[] = {
      [](ReceiverRecord& r) { r.TAG_FIELD = "TAB\tTAB"; },
      [](ReceiverRecord& r) { r.TRANSMITTER[2].CHANNEL[16].HIGH_ALARM = 12345678901.5; },
      [](ReceiverRecord& r) { r.TRANSMITTER[3].CHANNEL[1].SCALE_GAIN = 1e10; }};
  for (const auto& damage : damages) {
    session.current_receiver() = sound;
    damage(session.current_receiver());
    rx.clear_requests();
    errors.clear();
    kdv::transfer::download_configuration(session);
    const bool written = &damage == &damages[2];
    EXPECT_EQ(rx.requests().size(), written ? 7u + 2 * 49 : 0u);
    EXPECT_EQ(shown(" Param Overange"), written ? 0 : 2);
  }
}

}  // namespace
