// kdv578ctl monitor against the simulator as a process: complete passes in
// a CSV file, error rows while the receiver is gone, readings again once it
// is back behind the same port name.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "ctl/ctl_run.h"
#include "files/scratch_dir.h"
#include "process.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The fields of one CSV record (RFC 4180, no line ends inside fields).
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      out.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

struct Pass {
  bool failed;
  std::string error;
};

// The passes of a monitor file: a pass ends with its ELD row or is one
// error row. Every record has the header's eight fields.
std::vector<Pass> passes(const std::string& csv) {
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "time,receiver,transmitter,channel,value,unit,alarm,error");
  std::vector<Pass> out;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = fields(line);
    EXPECT_EQ(f.size(), 8u) << line;
    if (f.size() != 8) continue;
    EXPECT_EQ(f[0].size(), 24u) << line;  // 2026-12-08T01:02:03.456Z
    if (f[3].empty()) out.push_back({true, f[7]});
    if (f[3] == "eld") out.push_back({false, ""});
  }
  return out;
}

class CtlMonitorCommand : public ScratchDir {
 protected:
  // The simulator behind the symbolic link "port", as the journeys reach it.
  void start(std::vector<std::string> args) {
    sim = std::make_unique<kdv::sim::Process>(KDV578_BINARY_DIR "/kdv578-sim", std::move(args));
    const std::string pty = sim->read_output();
    fs::remove("port.new");
    fs::create_symlink(pty, "port.new");
    fs::rename("port.new", "port");
  }
  std::unique_ptr<kdv::sim::Process> sim;
};

TEST_F(CtlMonitorCommand, PassesGoOnThroughAReceiverThatWentAndCameBack) {
  start({"--paced"});
  const std::string port = (fs::current_path() / "port").string();
  std::vector<std::string> args = {KDV578_BINARY_DIR "/kdv578ctl", "monitor", "--tx", "2", "--count", "50",
                                   "--interval", "0.1", "-o", "live.csv", "--port", port};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  auto done = [] {  // passes written so far, the file perhaps not yet there
    const std::string csv = ctltest::text_of("live.csv");
    std::size_t n = 0;
    for (std::size_t at = 0; (at = csv.find(",eld,", at)) != std::string::npos; ++at) ++n;
    return n;
  };
  const auto limit = std::chrono::steady_clock::now() + 60s;
  while (done() < 20 && std::chrono::steady_clock::now() < limit) std::this_thread::sleep_for(20ms);
  sim.reset();  // the receiver is gone
  // and its port with it, as a pulled adapter's node goes: a link left to
  // the dead pty would reach whichever test's terminal takes its number.
  fs::remove("port");
  std::this_thread::sleep_for(500ms);
  start({"--paced"});
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  const std::vector<Pass> all = passes(ctltest::text_of("live.csv"));
  ASSERT_EQ(all.size(), 50u);
  std::size_t first_error = 0, last_error = 0, errors = 0;
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].failed) {
      if (!errors++) first_error = i;
      last_error = i;
    }
  EXPECT_GE(first_error, 19u);
  EXPECT_GT(errors, 0u);
  EXPECT_LT(last_error, 49u);  // values again after the errors
  EXPECT_EQ(errors, last_error - first_error + 1);
}

TEST_F(CtlMonitorCommand, OneChannelOrADurationAndTheLimitsOfTheOptions) {
  start({});
  const std::string at = " --port ./port -o live.csv";
  ASSERT_EQ(ctltest::ctl("monitor --tx 1 --channel 3 --count 2" + at).code, 0);
  const std::string csv = ctltest::text_of("live.csv");
  EXPECT_EQ(passes(csv).size(), 0u);  // one channel has no ELD row
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 2 * 4);  // the channel, cj, two highways
  EXPECT_NE(csv.find(",0,1,3,"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",0,1,cj,"), std::string::npos) << csv;

  ASSERT_EQ(ctltest::ctl("monitor --duration 1s --interval 0.4" + at).code, 0);
  EXPECT_EQ(passes(ctltest::text_of("live.csv")).size(), 2u * 3u);  // two transmitters, three passes

  for (const char* bad : {"--duration 1x", "--count 2 --duration 1s", "--tx 5", "--channel 17"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ctltest::ctl(std::string("monitor ") + bad + at).code, 2);
  }
  sim.reset();
  EXPECT_EQ(ctltest::ctl("monitor --tx 1 --count 2" + at).code, 4);
  EXPECT_EQ(passes(ctltest::text_of("live.csv")).size(), 2u);
}

}  // namespace
