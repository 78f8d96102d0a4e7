// Upload against the simulator core: the exchanges in their order, the
// progress line, the error display and the abort rules.
#include "transfer/upload.h"

#include "transfer/transfer_fixture.h"

using namespace kdv::model;

namespace {

using Upload = TransferTest;

constexpr int kReceiverReadings[] = {17, 29, 11, 4, 33, 31, 32, 34, 30, 36, 15};

std::string progress_text(int tx, int ch) {
  return " Uploading  Rx  0 Tx " + std::string(tx < 10 ? " " : "") + std::to_string(tx) + " Ch " +
         (ch < 10 ? " " : "") + std::to_string(ch);
}

TEST_F(Upload, OneEightChannelTransmitterTakesThirtySixExchangesInOrder) {
  rx.state().NO_OF_TX = 1;
  init_transmitter(rx.state(), 1, 2);
  rx.state().TRANSMITTER[1].CHANNEL[3].SCALE_GAIN = 2.5;
  rx.state().TRANSMITTER[1].CHANNEL[8].INPUT_TYPE = 15;

  EXPECT_TRUE(kdv::transfer::upload_configuration(session).ok());

  std::vector<int> expected(std::begin(kReceiverReadings), std::end(kReceiverReadings));
  expected.push_back(5);
  for (int c = 1; c <= 8; ++c) expected.insert(expected.end(), {35, 8, 6});
  EXPECT_EQ(commands(), expected);
  // Every channel request names transmitter 1 and its channel.
  for (int c = 1; c <= 8; ++c) {
    const std::string params = {'1', static_cast<char>('0' + c)};
    EXPECT_EQ(rx.requests().at(static_cast<std::size_t>(12 + 3 * (c - 1))).params, params);
  }

  std::vector<std::string> texts{" Uploading Configuration"};
  for (int c = 1; c <= 8; ++c) texts.push_back(progress_text(1, c));
  EXPECT_EQ(progress, texts);

  EXPECT_TRUE(session.receiver_present[0]);
  EXPECT_TRUE(session.held_flags.RXCONFIG[0]);
  EXPECT_EQ(session.current_receiver().TAG_FIELD, "SIMULATED RECEIVER       ");
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].TXTYPE, 2);
  EXPECT_DOUBLE_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[3].SCALE_GAIN, 2.5);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[8].INPUT_TYPE, 15);
  EXPECT_EQ(term.bells, 0);
  EXPECT_TRUE(term.delays.empty());
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 51), std::string(51, ' '));
  EXPECT_EQ(kdv::ui::screen_model().bg(1, 25), 0);
}

TEST_F(Upload, FourSixteenChannelTransmittersTakeElevenPlusFourTimesFortyNine) {
  rx.state().NO_OF_TX = 4;
  for (int t = 1; t <= 4; ++t) init_transmitter(rx.state(), t, 1);
  kdv::transfer::upload_configuration(session);
  EXPECT_EQ(rx.requests().size(), 11u + 4 * 49);
  EXPECT_EQ(progress.back(), progress_text(4, 16));
  EXPECT_TRUE(session.receiver_present[0]);
}

TEST_F(Upload, AReceiverThatDoesNotAnswerIsAbortedOnce) {
  rx.faults.no_reply = true;
  session.current_receiver().TAG_FIELD = "OLD TAG";
  const ReceiverRecord before = session.current_receiver();
  EXPECT_EQ(kdv::transfer::upload_configuration(session).status, kdv::link::Status::kNoReply);
  EXPECT_EQ(rx.requests().size(), 1u);  // the tag request, not repeated
  EXPECT_EQ(session.current_receiver(), before);
  EXPECT_EQ(shown("  ABORTED"), 1);
  EXPECT_EQ(term.bells, 1);
  EXPECT_FALSE(session.receiver_present[0]);
  // The error field is blanked on the background colour afterwards.
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 23), std::string(23, ' '));
  EXPECT_EQ(kdv::ui::screen_model().bg(5, 23), session.background);
}

TEST_F(Upload, AFailureInTransmitterTwoStopsTheProgressThere) {
  ReceiverRecord& sim = rx.state();
  sim.NO_OF_TX = 4;
  for (int t = 1; t <= 4; ++t) init_transmitter(sim, t, 2);
  session.current_receiver().TRANSMITTER[3].TXTYPE = 2;
  session.current_receiver().TRANSMITTER[3].CHANNEL[1].SCALE_GAIN = 7;
  sim.TRANSMITTER[3].CHANNEL[1].SCALE_GAIN = 3;
  // 11 receiver readings, 25 for transmitter 1, the type and two channels of
  // transmitter 2: the scaling of its third channel is refused.
  also = [&] {
    if (rx.requests().size() == 11 + 25 + 1 + 6) rx.faults.refuse = 1;
  };
  EXPECT_EQ(kdv::transfer::upload_configuration(session).status, kdv::link::Status::kRefused);
  EXPECT_EQ(rx.requests().size(), 11u + 25 + 1 + 6 + 2u);  // the refused request is sent twice
  EXPECT_EQ(rx.requests().back().command, 35);
  EXPECT_EQ(rx.requests().back().params, "23");
  // The last progress text names the failing channel; no later one appears.
  ASSERT_GE(progress.size(), 2u);
  EXPECT_EQ(progress[progress.size() - 1], progress_text(2, 3));
  EXPECT_EQ(shown(" Wrong Parameters"), 1);
  EXPECT_FALSE(session.receiver_present[0]);
  EXPECT_DOUBLE_EQ(session.current_receiver().TRANSMITTER[3].CHANNEL[1].SCALE_GAIN, 7);  // not read
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 51), std::string(51, ' '));
}

TEST_F(Upload, EscapeDuringTransmitterOneIsShownOnceByUpload) {
  bool typed = false;
  also = [&] {
    if (!typed && rx.requests().size() == 11 + 1 + 4) {
      term.escape();
      typed = true;
    }
  };
  EXPECT_EQ(kdv::transfer::upload_configuration(session).status, kdv::link::Status::kAborted);
  EXPECT_EQ(shown("  ABORTED"), 1);
  EXPECT_EQ(term.bells, 1);
  EXPECT_EQ(term.delays, std::vector<unsigned>{2000});
  EXPECT_FALSE(session.receiver_present[0]);
  // Nothing follows the abandoned exchange; the progress text stays.
  EXPECT_LE(rx.requests().size(), 11u + 1 + 5);
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 29), progress_text(1, 2));
}

TEST_F(Upload, AnUnreadableScalingIsADataErrorAtTheEnd) {
  rx.faults.bad_numbers = true;
  rx.faults.only_command = 35;
  session.current_receiver().TRANSMITTER[1].CHANNEL[1].SCALE_GAIN = 7;
  kdv::transfer::upload_configuration(session);
  EXPECT_EQ(rx.requests().size(), 11u + 1 + 1);  // nothing after the first scaling
  EXPECT_EQ(shown(" Data Error"), 1);
  EXPECT_EQ(session.current_receiver().TRANSMITTER[1].CHANNEL[1].SCALE_GAIN, 7);
}

TEST_F(Upload, AFailedReceiverReadingSkipsEveryTransmitter) {
  rx.faults.refuse = 2;
  rx.faults.only_command = 33;  // the versions
  session.receiver_present[0] = true;  // from an earlier upload: kept
  kdv::transfer::upload_configuration(session);
  // Tag, format, units, count, then the versions twice; nothing after.
  EXPECT_EQ(commands(), (std::vector<int>{17, 29, 11, 4, 33, 33}));
  EXPECT_EQ(shown(" Tx/Ch Invalid"), 1);
  EXPECT_EQ(progress, std::vector<std::string>{" Uploading Configuration"});
  EXPECT_TRUE(session.receiver_present[0]);
}

}  // namespace
