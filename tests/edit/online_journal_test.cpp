// The console journalling what it sends online, against the receiver
// simulator in-process: a tag refused and then accepted, then a download.
#include "app/console_journal.h"
#include "ctl/ctl_run.h"
#include "edit/receiver_settings.h"
#include "edit_fixture.h"
#include "files/scratch_dir.h"
#include "sim_port.h"
#include "transfer/download.h"

namespace edit_test {
namespace {

using OnlineJournal = ScratchDirOn<EditTest>;

TEST_F(OnlineJournal, EachChangeSentIsOneLineAndAJournalNeverStopsTheWork) {
  for (const char* path : {"state/audit.jsonl", "/proc/none/audit.jsonl"}) {
    SCOPED_TRACE(path);
    kdv::sim::Receiver sim;
    const kdv::sim::PluggedIn plug(sim, session);
    session.online = true;
    kdv::link::JournalWatcher journal = kdv::app::console_journal(session, path);
    kdv::link::set_change_watcher(&journal);
    sim.faults.refuse = 7;  // the first tag is refused (and tried twice)
    for (const char* tag : {"FIRST", "SECOND"}) {
      user.type(tag);
      user.enter();
      run(kdv::edit::edit_tag);
      sim.faults.refuse = -1;
    }
    run([this] { kdv::transfer::download_configuration(session); });
    kdv::link::set_change_watcher(nullptr);
    const bool writable = path[0] != '/';
    EXPECT_EQ(sim.state().TAG_FIELD, "SECOND                   ");
    EXPECT_EQ(user.was_shown(" Audit journal not writable"), !writable);
    if (!writable) continue;
    const auto lines = kdv::link::read_journal(ctltest::text_of(path)).entries;
    ASSERT_EQ(lines.size(), sim.requests().size() - 1);
    const auto& refused = lines[0].second;
    EXPECT_EQ(refused["program"].dump() + refused["operation"].dump() + refused["keys"].dump() +
                  refused["outcome"].dump() + refused["code"].dump() + refused["text"].dump(),
              R"("kdv578""SET_TAG"{"receiver.tag":{"new":"FIRST                    "}}"refused"7"Write Disabled")");
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].second["outcome"], "done");
  }
}

}  // namespace
}  // namespace edit_test
