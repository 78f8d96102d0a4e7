// The configuration file pair on disk. A save never leaves a mixed pair:
// both images go to temporaries beside the files they replace, are flushed,
// and only then renamed over the old files, the old ".rxd" kept aside until
// the ".gdt" is in place too. A load reads both files before it touches the
// records. The base-name rule for an entered name is here too.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "files/file_pair.h"
#include "files/record_images.h"

namespace kdv::files {

namespace {

// A name the save may create and must not leave behind, as a signal handler
// can see it: the path is complete before `live` is set.
struct CleanupSlot {
  char path[PATH_MAX]{};
  std::atomic<bool> live{false};
};
static_assert(std::atomic<bool>::is_always_lock_free);

// Signal-safe cleanup state: the temporaries of a save in progress (the two
// new images and the old ".rxd" set aside), for remove_temporaries.
CleanupSlot g_cleanup[3];  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// A temporary file name beside `target`, held in a cleanup slot while the
// object lives and unlinked when it goes, unless kept.
class Temporary {
 public:
  explicit Temporary(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    const std::string name =
        target + "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
    for (CleanupSlot& s : g_cleanup) {
      if (s.live.load() || name.size() >= sizeof s.path) continue;
      std::memcpy(s.path, name.c_str(), name.size() + 1);
      s.live.store(true);
      slot_ = &s;
      return;
    }
  }
  ~Temporary() {
    if (!slot_) return;
    ::unlink(slot_->path);
    slot_->live.store(false);
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  // False when no slot was free or the name is too long: nothing may be
  // created under it then.
  bool usable() const { return slot_ != nullptr; }
  const char* path() const { return slot_->path; }
  // The name now belongs to a file that stays.
  void keep() {
    slot_->live.store(false);
    slot_ = nullptr;
  }

 private:
  CleanupSlot* slot_ = nullptr;
};

// Blocks every signal that can be blocked while it lives, so a handler never
// finds the pair half replaced.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &old_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_{};
};

// The file a save to `path` replaces: a symbolic link is followed to its
// target (which need not exist yet), so the link stays a link. Nothing for
// a loop of links.
std::optional<std::string> replaced_file(std::filesystem::path path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path.string();
    const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = target.is_absolute() ? target : path.parent_path() / target;
  }
  return std::nullopt;
}

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

// Writes the bytes to the temporary, with the owner, group and permission
// bits of the file it will replace when there is one (the owner and group
// as far as the process may set them).
bool write_temporary(const Temporary& tmp, const std::string& target,
                     std::span<const std::uint8_t> bytes) {
  if (!tmp.usable()) return false;
  const int fd = ::open(tmp.path(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = write_all(fd, bytes);
  struct stat old {};
  if (ok && ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // Owner first: a change of owner clears the set-user-ID bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      [[maybe_unused]] const int group_only = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  }
  ok = ok && ::fsync(fd) == 0;
  return (::close(fd) == 0) && ok;
}

// Puts both new files in place, or neither. The old ".rxd" is linked (or,
// where links are refused, renamed) aside first and renamed back when the
// ".gdt" cannot be replaced; a ".rxd" that is not a regular file is never
// moved.
bool replace_pair(Temporary& gdt_new, const std::string& gdt, Temporary& rxd_new,
                  const std::string& rxd, Temporary& rxd_old) {
  struct stat st {};
  const bool had_rxd = ::lstat(rxd.c_str(), &st) == 0;
  if (had_rxd && (!S_ISREG(st.st_mode) || !rxd_old.usable() ||
                  (::link(rxd.c_str(), rxd_old.path()) != 0 &&
                   ::rename(rxd.c_str(), rxd_old.path()) != 0)))
    return false;
  if (::rename(rxd_new.path(), rxd.c_str()) == 0) {
    rxd_new.keep();
    if (::rename(gdt_new.path(), gdt.c_str()) == 0) {
      gdt_new.keep();
      return true;
    }
    if (!had_rxd) ::unlink(rxd.c_str());
  }
  // Renaming a second link of the same file onto the first changes nothing;
  // the set-aside name then goes with the Temporary. Should the old file not
  // come back, its set-aside copy stays.
  if (had_rxd && ::rename(rxd_old.path(), rxd.c_str()) != 0) rxd_old.keep();
  return false;
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

bool write_pair(std::string_view base, const kdv::model::HeldFlagsRecord& flags,
                const kdv::model::ReceiverRecord& rx) {
  const auto gdt = replaced_file(std::string(base) + ".gdt");
  const auto rxd = replaced_file(std::string(base) + ".rxd");
  if (!gdt || !rxd) return false;
  Temporary gdt_new(*gdt), rxd_new(*rxd), rxd_old(*rxd);
  if (!write_temporary(gdt_new, *gdt, encode_gdt(flags)) ||
      !write_temporary(rxd_new, *rxd, encode_rxd(rx)))
    return false;
  const SignalsHeld held;
  return replace_pair(gdt_new, *gdt, rxd_new, *rxd, rxd_old);
}

bool write_file(std::string_view path, std::string_view bytes) {
  const auto target = replaced_file(std::string(path));
  if (!target) return false;
  Temporary tmp(*target);
  if (!write_temporary(tmp, *target, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}))
    return false;
  const SignalsHeld held;
  if (::rename(tmp.path(), target->c_str()) != 0) return false;
  tmp.keep();
  return true;
}

void remove_temporaries() noexcept {
  for (CleanupSlot& s : g_cleanup)
    if (s.live.load()) ::unlink(s.path);
}

bool read_pair(std::string_view base, kdv::model::HeldFlagsRecord& flags, kdv::model::ReceiverRecord& rx) {
  const auto gdt = read_record(std::string(base) + ".gdt", kGdtSize);
  const auto rxd = read_record(std::string(base) + ".rxd", kRxdSize);
  if (!gdt || !rxd) return false;
  return decode_gdt(*gdt, flags) && decode_rxd(*rxd, rx);
}

bool read_rxd_file(const std::string& path, kdv::model::ReceiverRecord& rx) {
  const auto rxd = read_record(path, kRxdSize);
  return rxd && decode_rxd(*rxd, rx);
}

kdv::model::Text<12> base_name(std::string_view entered) {
  const kdv::model::Text<12> name = entered;
  const std::size_t len = name.size();
  // Positions are counted from 1: stop at 8, at the first ".", or at the end.
  std::size_t i = 1;
  while (i < len && i != 8 && name[i - 1] != '.') ++i;
  if (len == 0) return name;
  if (name[i - 1] != '.') ++i;
  return name.view().substr(0, i - 1);
}

}  // namespace kdv::files
