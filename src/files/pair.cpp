// The configuration file pair on disk. A save never destroys a good pair:
// both images go to temporaries beside the targets, are flushed, and only
// then renamed over the old files. A load reads both files before it
// touches the records.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <vector>

#include "files/disk.h"

namespace disk {

namespace {

bool write_all(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes the bytes to a new file named after target; returns its name, or
// nothing (and no file left behind) on failure.
std::optional<std::string> write_temporary(const std::string& target,
                                           std::span<const std::uint8_t> bytes) {
  static std::atomic<unsigned> serial{0};
  const std::string name =
      target + "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return std::nullopt;
  bool ok = write_all(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(name.c_str());
    return std::nullopt;
  }
  return name;
}

// Exactly `size` bytes from the start of a regular file, or nothing when the
// file cannot be opened, is not a regular file or is shorter. Bytes beyond
// the record are not read, as a file of records yields its first record.
std::optional<std::vector<std::uint8_t>> read_record(const std::string& path, std::size_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(size);
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  std::size_t got = 0;
  while (ok && got < size) {
    const ssize_t n = ::read(fd, bytes.data() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

}  // namespace

bool WRITE_PAIR(std::string_view base, const globals::CONFIG_DATA& flags,
                const globals::RECIEVER_DATA& rx) {
  const std::string gdt = std::string(base) + ".gdt";
  const std::string rxd = std::string(base) + ".rxd";
  const GDT_IMAGE gdt_bytes = ENCODE_GDT(flags);
  const RXD_IMAGE rxd_bytes = ENCODE_RXD(rx);
  const auto gdt_tmp = write_temporary(gdt, gdt_bytes);
  const auto rxd_tmp = gdt_tmp ? write_temporary(rxd, rxd_bytes) : std::nullopt;
  bool ok = gdt_tmp && rxd_tmp && ::rename(rxd_tmp->c_str(), rxd.c_str()) == 0 &&
            ::rename(gdt_tmp->c_str(), gdt.c_str()) == 0;
  if (!ok) {
    if (gdt_tmp) ::unlink(gdt_tmp->c_str());
    if (rxd_tmp) ::unlink(rxd_tmp->c_str());
  }
  return ok;
}

bool READ_PAIR(std::string_view base, globals::CONFIG_DATA& flags, globals::RECIEVER_DATA& rx) {
  const auto gdt = read_record(std::string(base) + ".gdt", GDT_SIZE);
  const auto rxd = read_record(std::string(base) + ".rxd", RXD_SIZE);
  if (!gdt || !rxd) return false;
  return DECODE_GDT(*gdt, flags) && DECODE_RXD(*rxd, rx);
}

bool READ_RXD_FILE(const std::string& path, globals::RECIEVER_DATA& rx) {
  const auto rxd = read_record(path, RXD_SIZE);
  return rxd && DECODE_RXD(*rxd, rx);
}

}  // namespace disk
