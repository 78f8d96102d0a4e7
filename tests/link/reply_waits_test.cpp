// The waits of an exchange against a receiver that pauses, trickles or stops
// part-way, and the stop signal that ends every wait, in virtual time.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "link/link_private.h"
#include "link/trace.h"
#include "link/trace_decode.h"
#include "link_fixture.h"

using namespace kdv::link;

namespace {

class ReplyWaits : public LinkTest {
 protected:
  double& high_alarm() { return session.current_receiver().TRANSMITTER[1].CHANNEL[3].HIGH_ALARM; }
};

// The alarms of tx1 ch3 (high 60) read with a fault in the reply's timing.
TEST_F(ReplyWaits, AGapOrAnEndlessReplyIsAbandonedWithoutItsValues) {
  struct Case {
    const char* what;
    int pause_ms;
    std::size_t pause_before;
    std::optional<std::size_t> stop_after;
    int trickle_ms;
    Status status;
  };
  const Case cases[] = {
      {"a pause of 900 ms inside", 900, 9, {}, 0, Status::kDone},
      {"a pause of 1100 ms inside", 1100, 9, {}, 0, Status::kNoReply},
      {"a pause of 1100 ms before the STX", 1100, 0, {}, 0, Status::kDone},
      {"a pause of 3500 ms before the STX, then a trickle", 3500, 0, {}, 900, Status::kNoReply},
      {"a reply that stops after 9 bytes", 0, 0, 9, 0, Status::kNoReply},
      {"a trickle of 100 ms a byte", 0, 0, {}, 100, Status::kDone},
      {"a trickle of 900 ms a byte", 0, 0, {}, 900, Status::kNoReply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rx.faults = {};
    rx.faults.pause_ms = c.pause_ms;
    rx.faults.pause_before = c.pause_before;
    rx.faults.stop_after = c.stop_after;
    rx.faults.trickle_ms = c.trickle_ms;
    rx.clear_requests();
    host.texts.clear();
    high_alarm() = -1;
    const std::int64_t start = plug.now_ms;
    const Outcome o = link.READ_ALARMS(0, 1, 3);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(requests(), 1u);
    EXPECT_LE(plug.now_ms - start, 4 * kReceiveTimeoutMs + kReplyLimitMs);
    if (c.status == Status::kDone) {
      EXPECT_EQ(high_alarm(), 60);
    } else {
      EXPECT_EQ(high_alarm(), -1);
      EXPECT_EQ(o.text, "  ABORTED   ");
      EXPECT_EQ(host.texts, std::vector<std::string>{"Write Error               "});
    }
  }
}

// The trace says where the link gave up, and its decoder judges as the link.
TEST_F(ReplyWaits, TheTraceShowsTheCutAndTheStopAndIsJudgedAsTheLinkJudged) {
  StopSignal stop;
  host.stop = &stop;
  const std::string path = ::testing::TempDir() + "waits-" + std::to_string(getpid()) + ".trace";
  ASSERT_FALSE(start_trace(path));
  rx.faults.trickle_ms = 900;
  EXPECT_EQ(link.READ_TAG(0).status, Status::kNoReply);
  rx.faults = {};
  rx.faults.no_reply = true;
  host.on_receive = [&stop] { stop.raise(); };
  EXPECT_EQ(link.READ_TEMP(0).status, Status::kAborted);
  stop_trace();
  std::stringstream text_stream;
  text_stream << std::ifstream(path).rdbuf();
  const std::string text = text_stream.str();
  std::filesystem::remove(path);
  EXPECT_NE(text.find("\tcut\t1\t\tno ETX 5000 ms after the STX, 6 bytes received\n"), std::string::npos) << text;
  const DecodedTrace trace = decode_trace(text);
  ASSERT_EQ(trace.exchanges.size(), 2u) << text;
  EXPECT_EQ(trace.exchanges[0].verdict, Verdict::kNoReply);
  EXPECT_EQ(trace.exchanges[1].verdict, Verdict::kAborted);
}

// The stop signal raised at some point of an exchange with a silent or a
// trickling receiver: the frames that reached it, and no wait after it.
TEST_F(ReplyWaits, TheStopSignalEndsEveryWaitAndBeginsNoFrame) {
  struct Case {
    const char* what;
    bool trickle;
    int raise_at_poll;     // the key poll after a byte sent or received (0: none)
    int raise_at_receive;  // the receive wait (0: none, -1: before the exchange)
    std::size_t frames;
  };
  const Case cases[] = {
      {"before the exchange", false, 0, -1, 0},
      {"while the frame is sent", false, 2, 0, 1},
      {"as the wait for the STX starts", false, 0, 1, 1},
      {"inside a trickling reply", true, 0, 5, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StopSignal stop;
    host.stop = &stop;
    rx.faults = {};
    rx.faults.no_reply = !c.trickle;
    rx.faults.trickle_ms = c.trickle ? 900 : 0;
    rx.clear_requests();
    host.receives = host.polls = 0;
    std::int64_t raised_at = plug.now_ms;
    if (c.raise_at_receive < 0) stop.raise();
    auto raise_when = [&](bool now) {
      if (!now) return;
      stop.raise();
      raised_at = plug.now_ms;
    };
    host.on_receive = [&] { raise_when(host.receives == c.raise_at_receive); };
    host.on_poll = [&] { raise_when(host.polls == c.raise_at_poll); };
    EXPECT_EQ(link.READ_TAG(0).status, Status::kAborted);
    EXPECT_EQ(requests(), c.frames);
    EXPECT_EQ(plug.now_ms, raised_at);
  }
  host.stop = nullptr;
}

}  // namespace
