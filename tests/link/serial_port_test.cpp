// The real serial port on pseudo-terminals, the port names and the port list.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "link/link.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "model/records.h"
#include "support/fresh_model.h"

using namespace kdv::link;
using Clock = std::chrono::steady_clock;

namespace {

// A pseudo-terminal: the test plays the device at the master end, the port
// under test opens the slave path. A second slave descriptor keeps the line
// up between opens, as the simulator does.
class Pty {
 public:
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    path = ptsname(master);
    keeper = open(path.c_str(), O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    close_master();
    if (keeper >= 0) close(keeper);
  }
  void write_bytes(std::string_view s) { ASSERT_EQ(write(master, s.data(), s.size()), (ssize_t)s.size()); }
  std::string read_bytes() {
    char buf[64];
    const ssize_t n = read(master, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : "";
  }
  void close_master() {
    if (master >= 0) close(master);
    master = -1;
  }
  void close_keeper() {
    close(keeper);
    keeper = -1;
  }

  int master = -1;
  int keeper = -1;
  std::string path;
};

long ms_since(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

TEST(PosixSerialPort, SendsBytesAndHandsOutABurstOneByOne) {
  Pty pty;
  PosixSerialPort port;
  port.connect_port(pty.path);
  port.configure(9600, 8, 'N', 0, false, false);
  ASSERT_TRUE(port.is_open()) << port.last_error();
  port.send_byte('Q');
  EXPECT_EQ(pty.read_bytes(), "Q");

  pty.write_bytes("AB");
  usleep(20000);
  EXPECT_EQ(port.receive_byte(1000), 'A');
  pty.close_master();  // the second byte must come from the buffer, not the line
  const auto start = Clock::now();
  EXPECT_EQ(port.receive_byte(1000), 'B');
  EXPECT_LT(ms_since(start), 50);
}

TEST(PosixSerialPort, NoByteWithinTheDeadlineReadsAsZero) {
  Pty pty;
  PosixSerialPort port;
  port.connect_port(pty.path);
  const auto start = Clock::now();
  EXPECT_EQ(port.receive_byte(1000), 0);
  const long elapsed = ms_since(start);
  EXPECT_GE(elapsed, 1000);
  EXPECT_LT(elapsed, 1400);
  EXPECT_EQ(port.last_error(), kTimeoutError);
  EXPECT_FALSE(port.hung_up());
}

TEST(PosixSerialPort, AClosedPeerEndsTheWaitAtOnce) {
  Pty pty;
  PosixSerialPort port;
  port.connect_port(pty.path);
  pty.close_keeper();
  pty.close_master();
  const auto start = Clock::now();
  EXPECT_EQ(port.receive_byte(1000), 0);
  EXPECT_EQ(port.receive_byte(1000), 0);
  EXPECT_LT(ms_since(start), 200);
  EXPECT_TRUE(port.hung_up());
  EXPECT_EQ(port.last_error(), kHangupError);
  EXPECT_FALSE(port.is_open());  // let go at once: a replugged device opens again
}

// A key on the watched keyboard, or the stop signal, ends a wait that has
// no byte to hand out; a byte already come is handed out first.
TEST(PosixSerialPort, AKeyOrTheStopSignalEndsOnlyAWaitWithoutBytes) {
  Pty pty;
  PosixSerialPort port;
  port.connect_port(pty.path);
  int keys[2] = {-1, -1};
  ASSERT_EQ(pipe2(keys, O_NONBLOCK), 0);
  EXPECT_FALSE(port.input_seen(keys[0]));
  pty.write_bytes("A");
  usleep(20000);
  ASSERT_EQ(write(keys[1], "k", 1), 1);
  EXPECT_EQ(port.receive_byte(1000), 'A');
  EXPECT_TRUE(port.input_seen(keys[0]));  // the key poll after the byte
  EXPECT_EQ(port.receive_byte(1000), 0);
  EXPECT_EQ(port.last_error(), kWokenError);
  close(keys[0]), close(keys[1]);
  const StopSignal stop;
  port.stop_on(stop.fd());
  stop.raise();
  EXPECT_EQ(port.receive_byte(1000), 0);
  EXPECT_EQ(port.last_error(), kWokenError);
}

TEST(PosixSerialPort, ABusyPortIsRefusedUntilItsOwnerCloses) {
  Pty pty;
  auto owner = std::make_unique<PosixSerialPort>();
  owner->connect_port(pty.path);
  ASSERT_TRUE(owner->is_open());
  PosixSerialPort second;
  second.connect_port(pty.path);
  EXPECT_FALSE(second.is_open());
  EXPECT_EQ(second.last_error(), EBUSY);
  owner.reset();
  second.connect_port(pty.path);
  EXPECT_TRUE(second.is_open());
}

TEST(PosixSerialPort, ReconnectingDiscardsBytesThatArrivedLate) {
  Pty pty;
  {
    PosixSerialPort first;
    first.connect_port(pty.path);
    pty.write_bytes("late");
    usleep(20000);
  }
  PosixSerialPort next;
  next.connect_port(pty.path);
  EXPECT_EQ(next.receive_byte(100), 0);
}

TEST(PosixSerialPort, AMissingPortStaysClosedAndQuiet) {
  PosixSerialPort port;
  port.connect_port("/dev/kdv578-no-such-port");
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(port.last_error(), ENOENT);
  port.configure(9600, 8, 'N', 0, false, false);
  port.send_byte('x');
  const auto start = Clock::now();
  EXPECT_EQ(port.receive_byte(1000), 0);
  EXPECT_LT(ms_since(start), 50);
  EXPECT_EQ(port.last_error(), kNotOpenError);
}

// A keyboard the port watches (a pipe the test types into): the link asks
// its host only once a key is there, and Escape stops the exchange at the
// key poll after the next byte sent or received, or at once while the link
// waits for a byte that has not come.
class PipeKeyboard final : public Host {
 public:
  int keys[2] = {-1, -1};
  bool type_at_receive = false;  // Escape typed as the wait for the reply starts
  int asked = 0;
  PipeKeyboard() { EXPECT_EQ(pipe2(keys, O_NONBLOCK), 0); }
  ~PipeKeyboard() override { close(keys[0]), close(keys[1]); }
  void type_escape() const { EXPECT_EQ(write(keys[1], "\x1b", 1), 1); }
  bool escape() override {
    char c = 0;
    return ++asked, read(keys[0], &c, 1) == 1 && c == 27;
  }
  void before_receive() override {
    if (std::exchange(type_at_receive, false)) type_escape();
  }
  void status_text(std::string_view) override {}
  void pause(unsigned) override {}
  int key_input() override { return keys[0]; }
};

class WatchedKeyboard : public FreshModel {};

TEST_F(WatchedKeyboard, EscapeStopsTheExchangeWherePolledAndOnlyThenIsAsked) {
  // Escape typed before the exchange, or as the wait for a reply that never
  // comes starts (the key ends that wait at once); what reached the receiver.
  const struct { bool at_receive; std::string sent; } cases[] = {
      {false, "\x02"}, {true, "\x02\x02" "cPA\x03"}};
  for (const auto& c : cases) {
    Pty pty;
    PipeKeyboard keyboard;
    set_host(&keyboard);
    kdv::model::init_model(session);
    session.selected_port = pty.path;
    keyboard.type_at_receive = c.at_receive;
    if (!c.at_receive) keyboard.type_escape();
    const auto start = Clock::now();
    EXPECT_EQ(Link(session).READ_TAG(0).status, Status::kAborted);
    set_host(nullptr);
    EXPECT_EQ(keyboard.asked, 1);
    usleep(50000);  // a pseudo-terminal passes the bytes on asynchronously
    EXPECT_EQ(pty.read_bytes(), c.sent);
    EXPECT_LT(ms_since(start), 500);  // a key ends the wait at once
  }
}

TEST(DevicePath, ComNamesBareNamesAndPaths) {
  EXPECT_EQ(device_path("COM1"), "/dev/ttyS0");
  EXPECT_EQ(device_path("com12"), "/dev/ttyS11");
  EXPECT_EQ(device_path("Com3"), "/dev/ttyS2");
  EXPECT_EQ(device_path("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(device_path("/dev/pts/7"), "/dev/pts/7");
  EXPECT_EQ(device_path("COM0"), "/dev/COM0");
  EXPECT_EQ(device_path("COMX"), "/dev/COMX");
  EXPECT_EQ(device_path(""), "/dev/");
}

class SerialPortNames : public FreshModel {
 protected:
  void SetUp() override {
    unsetenv("KDV578_PORTS");
    root = std::filesystem::temp_directory_path() /
           ("kdv578-sysfs-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
  }
  void TearDown() override {
    unsetenv("KDV578_PORTS");
    std::filesystem::remove_all(root);
  }
  void tty(const std::string& name, bool device, const char* type = nullptr) {
    std::filesystem::create_directories(root / name);
    if (device) std::filesystem::create_directories(root / name / "device");
    if (type) std::ofstream(root / name / "type") << type << "\n";
  }
  std::filesystem::path root;
};

TEST_F(SerialPortNames, SysfsEntriesWithADeviceInNaturalOrderWithoutPhantoms) {
  tty("ttyS0", true, "4");
  tty("ttyS1", true, "0");  // a legacy UART with nothing behind it
  tty("ttyS10", true, "4");
  tty("ttyS2", true, "4");
  tty("ttyUSB0", true);
  tty("ttyACM0", true);
  tty("tty0", false);
  tty("console", false);
  EXPECT_EQ(serial_port_names(root.string()), "ttyACM0,ttyS0,ttyS2,ttyS10,ttyUSB0");
}

TEST_F(SerialPortNames, NoPortsAndTheEnvironmentOverride) {
  EXPECT_EQ(serial_port_names(root.string()), "");
  tty("ttyS0", true, "4");
  setenv("KDV578_PORTS", "/dev/pts/4, ttyUSB3,,COM2 ", 1);
  EXPECT_EQ(serial_port_names(root.string()), "/dev/pts/4,ttyUSB3,,COM2");
  setenv("KDV578_PORTS", "", 1);
  EXPECT_EQ(serial_port_names(root.string()), "");
}

}  // namespace
