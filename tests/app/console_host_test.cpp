// The console as the link's host, over the scripted terminal.
#include "app/console_host.h"

#include <gmock/gmock.h>

#include "support/fresh_process.h"
#include "ui/script_terminal.h"

namespace {

class ConsoleHost : public FreshProcess {
 protected:
  void SetUp() override { kdv::ui::install_terminal(&term); }
  void TearDown() override { kdv::ui::install_terminal(nullptr); }

  kdv::ui::ScriptTerminal term;
  kdv::app::ConsoleHost host;
};

TEST_F(ConsoleHost, EachEscapeCheckTakesOneKeyAndOnlyEscapeCounts) {
  term.type("a");
  term.up();  // two codes: 0 and 72
  term.escape();
  std::vector<bool> polls;
  for (int i = 0; i < 5; ++i) polls.push_back(host.escape());
  EXPECT_THAT(polls, ::testing::ElementsAre(false, false, false, true, false));
  EXPECT_EQ(term.keys_left(), 0u);
}

TEST_F(ConsoleHost, TextsPresentsAndPauses) {
  host.status_text("Write Error");
  EXPECT_EQ(kdv::ui::screen_model().text(1, 25, 11), "Write Error");
  const int presents = term.presents;
  host.before_receive();
  EXPECT_EQ(term.presents, presents + 1);
  host.pause(500);
  EXPECT_EQ(term.delays, std::vector<unsigned>{500});
}

}  // namespace
