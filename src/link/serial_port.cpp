// PosixSerialPort over POSIX termios. The only file of the program that talks
// to a serial device (and includes the terminal headers, whose macros must
// not meet the rest of the code).
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "link/serial_port.h"

namespace kdv::link {

namespace {

using Clock = std::chrono::steady_clock;

speed_t speed_of(int baud) {
  switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    default: return B9600;
  }
}

// A device that is gone or whose peer closed: the wait ends at once.
bool is_hangup_errno(int e) { return e == EIO || e == ENXIO || e == ENODEV; }

bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  int ready = 0;
  do ready = poll(&p, 1, 0);
  while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace

StopSignal::StopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
  if (fd_ >= 0) ::close(fd_);
}

bool StopSignal::raised() const { return fd_ >= 0 && readable(fd_); }

void StopSignal::raise(int fd) {
  const std::uint64_t one = 1;
  if (fd >= 0) [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

std::int64_t SerialPort::clock_ms() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

PosixSerialPort::~PosixSerialPort() { close_port(); }

void PosixSerialPort::close_port() {
  if (fd_ < 0) return;
  ioctl(fd_, TIOCNXCL);  // otherwise a pseudo-terminal stays busy for the next open
  ::close(fd_);
  fd_ = -1;
  buffered_ = next_ = 0;
}

void PosixSerialPort::connect_port(std::string_view name) {
  close_port();
  hung_up_ = false;
  last_error_ = kNoError;
  const std::string path = device_path(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(errno);
  if (!isatty(fd)) {
    ::close(fd);
    return fail(ENOTTY);
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
    const int e = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return fail(e);
  }
  fd_ = fd;
  if (!apply_line(9600, 8, 'N', 0, false, false)) {
    const int e = last_error_;
    close_port();
    return fail(e);
  }
  int lines = TIOCM_DTR | TIOCM_RTS;
  if (ioctl(fd_, TIOCMBIS, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
    const int e = errno;
    close_port();
    return fail(e);
  }
  tcflush(fd_, TCIOFLUSH);
}

std::string unopenable_port_text(std::string_view path, int error, std::string_view group) {
  std::string text(path);
  switch (error) {
    case EBUSY: return text + ": in use by another program";
    case ENOENT:
    case ENODEV:
    case ENXIO: return text + ": no such device";
    default: break;
  }
  text += ": cannot open: ";
  text += std::strerror(error);
  if ((error == EACCES || error == EPERM) && !group.empty())
    text += " (the device belongs to group " + std::string(group) + ")";
  return text;
}

std::string device_group(const std::string& path) {
  struct stat device {};
  if (::stat(path.c_str(), &device) != 0) return {};
  group entry{};
  group* owner = nullptr;
  std::vector<char> names(4096);
  if (::getgrgid_r(device.st_gid, &entry, names.data(), names.size(), &owner) != 0 || !owner) return {};
  return owner->gr_name;
}

void PosixSerialPort::configure(int baud, int bits, char parity, int stop, bool softflow,
                          bool hardflow) {
  if (fd_ >= 0) apply_line(baud, bits, parity, stop, softflow, hardflow);
}

// Raw mode with the given line parameters, read back to check they took.
bool PosixSerialPort::apply_line(int baud, int bits, char parity, int stop, bool softflow,
                              bool hardflow) {
  termios t{};
  if (tcgetattr(fd_, &t) != 0) {
    fail(errno);
    return false;
  }
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  t.c_cflag |= bits == 7 ? CS7 : bits == 6 ? CS6 : bits == 5 ? CS5 : CS8;
  if (parity == 'E' || parity == 'e') t.c_cflag |= PARENB;
  if (parity == 'O' || parity == 'o') t.c_cflag |= PARENB | PARODD;
  if (stop == 2) t.c_cflag |= CSTOPB;
  if (hardflow) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  if (softflow) t.c_iflag |= IXON | IXOFF;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, speed_of(baud));
  cfsetospeed(&t, speed_of(baud));
  if (tcsetattr(fd_, TCSANOW, &t) != 0) {
    fail(errno);
    return false;
  }
  termios back{};
  const tcflag_t checked = CSIZE | PARENB | PARODD | CSTOPB;
  if (tcgetattr(fd_, &back) != 0 || (back.c_cflag & checked) != (t.c_cflag & checked) ||
      cfgetospeed(&back) != cfgetospeed(&t) || (back.c_lflag & ICANON) != 0) {
    fail(EINVAL);
    return false;
  }
  return true;
}

void PosixSerialPort::send_byte(std::uint8_t b) {
  last_error_ = kNoError;
  if (fd_ < 0) return fail(kNotOpenError);
  const auto deadline = Clock::now() + std::chrono::milliseconds(1000);
  for (;;) {
    const ssize_t n = ::write(fd_, &b, 1);
    if (n == 1) break;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return fail(errno);
    // Output queue full: wait for room, but never for ever.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return fail(kTimeoutError);
    pollfd p{fd_, POLLOUT, 0};
    poll(&p, 1, static_cast<int>(left.count()));
  }
  while (tcdrain(fd_) != 0 && errno == EINTR) {
  }
}

std::uint8_t PosixSerialPort::receive_byte(int timeout_ms) {
  last_error_ = kNoError;
  if (next_ < buffered_) {
    looked_ = true;  // the wait that read the buffer looked
    key_woke_ = false;
    return buffer_[next_++];
  }
  if (fd_ < 0) {
    fail(hung_up_ ? kHangupError : kNotOpenError);
    return 0;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    // The line first, then the stop signal and, until input shows there,
    // the keys: a byte that has come is handed out before either ends the
    // wait.
    pollfd p[3] = {{fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}, {-1, POLLIN, 0}};
    if (watched_ >= 0 && !input_seen_ && !key_woke_) p[2].fd = watched_;
    const int ready = poll(p, 3, static_cast<int>(left.count()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      fail(errno);
      return 0;
    }
    looked_ = true;
    if (ready == 0) break;
    if (p[2].revents != 0) input_seen_ = true;
    if (p[0].revents == 0) {
      key_woke_ = p[2].revents != 0;
      fail(kWokenError);
      return 0;
    }
    if ((p[0].revents & POLLIN) == 0) {  // POLLHUP, POLLERR, POLLNVAL without data
      hang_up();
      return 0;
    }
    const ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
    if (n > 0) {
      buffered_ = static_cast<int>(n);
      next_ = 1;
      key_woke_ = false;
      return buffer_[0];
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n == 0 || is_hangup_errno(errno))
      hang_up();
    else
      fail(errno);
    return 0;
  }
  key_woke_ = false;
  fail(kTimeoutError);
  return 0;
}

// The device is gone: let it go at once, so that it can be opened again.
void PosixSerialPort::hang_up() {
  hung_up_ = true;
  close_port();
  fail(kHangupError);
}

bool PosixSerialPort::input_seen(int fd) {
  if (fd < 0) return true;
  if (fd != watched_) {
    watched_ = fd;
    input_seen_ = looked_ = false;
  }
  if (!looked_ && !input_seen_) {
    pollfd p{fd, POLLIN, 0};
    int ready = 0;
    do ready = poll(&p, 1, 0);
    while (ready < 0 && errno == EINTR);
    input_seen_ = ready != 0;  // a failing poll counts as input: the caller looks
  }
  looked_ = false;
  return std::exchange(input_seen_, false);
}

}  // namespace kdv::link
