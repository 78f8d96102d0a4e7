// The waits of an exchange against a receiver that pauses, trickles or stops
// part-way, and the stop signal that ends every wait, in virtual time.
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "link/link.h"
#include "link/link_private.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "link/trace.h"
#include "link/trace_decode.h"
#include "link_fixture.h"

using namespace kdv::link;

namespace {

using ReplyWaits = LinkTest;

// The alarms of tx1 ch3 (high 60) read with a fault in the reply's timing,
// traced: the outcome, not repeated, no value read from an abandoned reply.
TEST_F(ReplyWaits, AGapOrAnEndlessReplyIsAbandonedWithoutItsValues) {
  const struct { int pause_ms; std::size_t before; std::optional<std::size_t> stop_after; int trickle_ms; Status status; }
      cases[] = {{900, 9, {}, 0, Status::kDone},       {1100, 9, {}, 0, Status::kNoReply},
                 {1100, 0, {}, 0, Status::kDone},      {3500, 0, {}, 900, Status::kNoReply},
                 {0, 0, 9, 0, Status::kNoReply},       {0, 0, {}, 100, Status::kDone},
                 {0, 0, {}, 900, Status::kNoReply}};
  const std::string path = ::testing::TempDir() + "kdv578-waits.trace";
  ASSERT_FALSE(start_trace(path));
  double& high = session.current_receiver().TRANSMITTER[1].CHANNEL[3].HIGH_ALARM;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pause_ms) + " ms before " + std::to_string(c.before));
    rx.faults.pause_ms = c.pause_ms;
    rx.faults.pause_before = c.before;
    rx.faults.stop_after = c.stop_after;
    rx.faults.trickle_ms = c.trickle_ms;
    rx.clear_requests();
    host.texts.clear();
    high = -1;
    const std::int64_t start = plug.now_ms;
    EXPECT_EQ(link.READ_ALARMS(0, 1, 3).status, c.status);
    EXPECT_EQ(requests(), 1u);
    EXPECT_LE(plug.now_ms - start, 4 * kReceiveTimeoutMs + kReplyLimitMs);
    EXPECT_EQ(high, c.status == Status::kDone ? 60 : -1);
    EXPECT_EQ(host.texts.size(), c.status == Status::kDone ? 0u : 1u);
  }
  stop_trace();
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  std::filesystem::remove(path);
  EXPECT_NE(text.str().find("\tcut\t1\t\tno ETX 5000 ms after the STX, 6 bytes received\n"), std::string::npos);
  const DecodedTrace trace = decode_trace(text.str());
  ASSERT_EQ(trace.exchanges.size(), std::size(cases));
  for (std::size_t i = 0; i < trace.exchanges.size(); ++i)
    EXPECT_EQ(trace.exchanges[i].verdict == Verdict::kGood, cases[i].status == Status::kDone) << i;
}

// The stop signal raised at some point of an exchange with a silent or a
// trickling receiver: the frames that reached it, and no wait after it.
TEST_F(ReplyWaits, TheStopSignalEndsEveryWaitAndBeginsNoFrame) {
  const struct { bool trickle; int raise_at_poll, raise_at_receive; std::size_t frames; } cases[] = {
      {false, 0, -1, 0},  // before the exchange
      {false, 2, 0, 1},   // while the frame is sent
      {false, 0, 1, 1},   // as the wait for the STX starts
      {true, 0, 5, 1}};   // inside a trickling reply
  for (const auto& c : cases) {
    StopSignal stop;
    host.stop = &stop;
    rx.faults.no_reply = !c.trickle;
    rx.faults.trickle_ms = c.trickle ? 900 : 0;
    rx.clear_requests();
    host.receives = host.polls = 0;
    std::int64_t raised_at = plug.now_ms;
    auto raise_when = [&](bool now) {
      if (now) stop.raise(), raised_at = plug.now_ms;
    };
    raise_when(c.raise_at_receive < 0);
    host.on_receive = [&] { raise_when(host.receives == c.raise_at_receive); };
    host.on_poll = [&] { raise_when(host.polls == c.raise_at_poll); };
    EXPECT_EQ(link.READ_TAG(0).status, Status::kAborted);
    EXPECT_EQ(requests(), c.frames);
    EXPECT_EQ(plug.now_ms, raised_at);
  }
  host.stop = nullptr;
}

}  // namespace
