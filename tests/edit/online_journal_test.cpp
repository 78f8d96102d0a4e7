// The console journalling what it sends online, against the receiver
// simulator in-process: a tag refused and then accepted, then a download.
#include <fstream>
#include <iterator>
#include <optional>

#include "app/console_journal.h"
#include "edit/rxconf.h"
#include "edit_fixture.h"
#include "files/scratch_dir.h"
#include "sim_port.h"
#include "transfer/download.h"

using namespace globals;

namespace edit_test {
namespace {

std::string text_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OnlineJournal : public ScratchDirOn<EditTest> {
 protected:
  void SetUp() override {
    ScratchDirOn<EditTest>::SetUp();
    plug.emplace(sim);
    ONLINE = true;
    sim.state() = R();
  }
  void TearDown() override {
    comms::set_change_watcher(nullptr);
    plug.reset();
    ScratchDirOn<EditTest>::TearDown();
  }
  // The tag typed, refused once by the receiver, typed again and accepted;
  // then the whole configuration downloaded.
  void changes() {
    sim.faults.refuse = 7;
    user.type("FIRST");
    user.enter();
    run(rxconf::TAG);
    sim.faults.refuse = -1;
    user.type("SECOND");
    user.enter();
    run(rxconf::TAG);
    run([] { download::DOWNLOAD(); });
  }

  sim::Receiver sim;
  std::optional<sim::PluggedIn> plug;
};

struct Case {
  const char* journal;
  bool writable;
};

TEST_F(OnlineJournal, EachChangeSentIsOneLineAndAJournalNeverStopsTheWork) {
  for (const Case c : {Case{"state/audit.jsonl", true}, Case{"/proc/none/audit.jsonl", false}}) {
    SCOPED_TRACE(c.journal);
    sim.clear_requests();
    disk::JournalWatcher journal = project1::console_journal(c.journal);
    comms::set_change_watcher(&journal);
    changes();
    EXPECT_EQ(sim.state().TAG_FIELD, "SECOND                   ");
    EXPECT_EQ(user.was_shown(" Audit journal not writable"), !c.writable);
    if (!c.writable) continue;
    const disk::JournalRead read = disk::read_journal(text_of(c.journal));
    ASSERT_GE(read.entries.size(), 3u);
    const auto& refused = read.entries[0].second;
    EXPECT_EQ(refused["operation"], "SET_TAG");
    EXPECT_EQ(refused["outcome"], "refused");
    EXPECT_EQ(refused["code"], 7);
    EXPECT_EQ(refused["program"], "kdv578");
    EXPECT_EQ(read.entries[1].second["keys"]["receiver.tag"]["new"], "SECOND                   ");
    EXPECT_EQ(read.entries[1].second["outcome"], "done");
    // The download: one line per request after the two tags, all done.
    EXPECT_EQ(read.entries.size() - 2, sim.requests().size() - 3);  // the refused tag was tried twice
    for (std::size_t i = 2; i < read.entries.size(); ++i) EXPECT_EQ(read.entries[i].second["outcome"], "done");
  }
}

}  // namespace
}  // namespace edit_test
