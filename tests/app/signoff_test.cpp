// The signoff command against the simulator core: its warning box, and when
// the confirm and the signoff are sent.
#include "app/signoff.h"

#include "transfer/transfer_fixture.h"

using namespace kdv::model;

namespace {

using Signoff = TransferTest;

TEST_F(Signoff, AnyKeySendsConfirmThenSignoff) {
  term.type({0, 72});  // the first code of an extended key is enough
  kdv::app::signoff(session);
  EXPECT_EQ(commands(), (std::vector<int>{25, 28}));
  EXPECT_EQ(rx.requests().at(0).params, "0");
  EXPECT_TRUE(rx.signed_off);
  EXPECT_EQ(term.bells, 0);
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 12), std::string(12, ' '));
}

TEST_F(Signoff, TheWarningBoxAndEscape) {
  term.escape();
  kdv::app::signoff(session);
  const kdv::ui::ScreenModel& s = kdv::ui::screen_model();
  EXPECT_EQ(s.text(36, 15, 7), "SIGNOFF");
  EXPECT_EQ(s.text(24, 17, 31), "Before sending this command the");
  EXPECT_EQ(s.text(24, 18, 32), "configuration link on the KDV578");
  EXPECT_EQ(s.text(24, 19, 18), "should be removed.");
  EXPECT_EQ(s.ch(21, 14), 0xC9);  // the frame's top left corner
  EXPECT_EQ(s.text(23, 25, 34), " Any key to Continue, ESC to abort");
  EXPECT_EQ(s.bg(23, 25), session.error_bar);
  // Nothing is sent; the working text stays on row 25.
  EXPECT_TRUE(rx.requests().empty());
  EXPECT_EQ(s.text(1, 25, 10), "Working...");
}

TEST_F(Signoff, SignoffIsSentEvenWhenTheConfirmFailed) {
  rx.faults.refuse = 5;
  rx.faults.only_command = 25;
  term.enter();
  kdv::app::signoff(session);
  EXPECT_EQ(commands(), (std::vector<int>{25, 25, 28}));
  EXPECT_EQ(term.bells, 1);
  EXPECT_EQ(term.delays, std::vector<unsigned>{2000});
  // The confirm's error stays on the screen.
  EXPECT_EQ(kdv::ui::screen_model().text(5, 23, 14), " Context Error");
  EXPECT_EQ(kdv::ui::screen_model().bg(5, 23), session.error_bar);
}

}  // namespace
