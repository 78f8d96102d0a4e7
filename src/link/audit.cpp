#include "link/audit.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>

#include "link/outcome.h"
#include "model/setting_keys.h"

namespace kdv::link {

namespace {

std::string environment(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string user_name() {
  std::vector<char> buffer(4096);
  passwd pw{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found) return found->pw_name;
  if (const std::string user = environment("USER"); !user.empty()) return user;
  return std::to_string(geteuid());
}

std::string host_name() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

// UTC, ISO 8601 with milliseconds: 2026-12-08T01:02:03.456Z.
std::string utc_text(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(when.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
  std::tm t{};
  ::gmtime_r(&seconds, &t);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>((ms % 1000 + 1000) % 1000));
  return text;
}

// Makes the directories of the path that are missing, each with mode 0700.
bool make_directories(const std::string& file) {
  const std::size_t last = file.rfind('/');
  if (last == std::string::npos || last == 0) return true;
  for (std::size_t slash = file.find('/', 1);; slash = file.find('/', slash + 1)) {
    const std::string dir = file.substr(0, slash);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == last) return true;
  }
}

// The text without the blanks around it.
std::string_view trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<std::string> audit_path() {
  const std::string chosen = environment("KDV578_AUDIT");
  const std::string_view word = trimmed(chosen);
  if (kdv::model::same_name(word, "off") || word == "/dev/null") return std::nullopt;
  if (!chosen.empty()) return chosen;
  if (const std::string state = environment("XDG_STATE_HOME"); state.starts_with('/'))
    return state + "/kdv578/audit.jsonl";
  if (const std::string home = environment("HOME"); !home.empty())
    return home + "/.local/state/kdv578/audit.jsonl";
  return std::nullopt;
}

void AuditEntry::change(const std::string& key, const std::optional<nlohmann::ordered_json>& old_value,
                        const nlohmann::ordered_json& new_value) {
  nlohmann::ordered_json c = nlohmann::ordered_json::object();
  if (old_value) c["old"] = *old_value;
  c["new"] = new_value;
  keys[key] = std::move(c);
}

std::optional<std::string_view> audit_outcome(const kdv::link::Outcome& o) {
  using kdv::link::Status;
  switch (o.status) {
    case Status::kDone: return "done";
    case Status::kSent: return "sent";
    case Status::kRefused: return "refused";
    case Status::kAborted: return "aborted";
    case Status::kNoReply:
    case Status::kDeviceGone: return "no reply";
    case Status::kInvalidReply:
    case Status::kShortReply:
    case Status::kDataError: return "invalid reply";
    case Status::kPortUnopenable:
    case Status::kUnsendable: return std::nullopt;
  }
  return std::nullopt;
}

AuditJournal::AuditJournal(std::optional<std::string> path, std::string program, std::string version,
                           Warn warn, Clock clock)
    : path_(std::move(path)),
      program_(std::move(program)),
      version_(std::move(version)),
      user_(user_name()),
      host_(host_name()),
      warn_(std::move(warn)),
      clock_(clock ? std::move(clock) : [] { return std::chrono::system_clock::now(); }) {}

std::string AuditJournal::line(const AuditEntry& e) const {
  nlohmann::ordered_json j;
  j["time"] = utc_text(clock_());
  j["user"] = user_;
  j["host"] = host_;
  j["program"] = program_;
  j["version"] = version_;
  j["port"] = e.port;
  j["receiver"] = e.receiver;
  j["operation"] = e.operation;
  if (!e.keys.empty()) j["keys"] = e.keys;
  j["outcome"] = audit_outcome(e.outcome).value_or("");
  if (e.outcome.status == kdv::link::Status::kRefused) {
    j["code"] = e.outcome.refusal;
    std::string text = e.outcome.text.str();
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    j["text"] = text;
  }
  if (e.confirmed) j["confirmed"] = *e.confirmed;
  if (e.read_back) j["read_back"] = *e.read_back;
  return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool AuditJournal::append(const AuditEntry& entry) {
  if (!path_ || !audit_outcome(entry.outcome)) return true;
  const std::string text = line(entry) + "\n";
  // Never waits: a FIFO or a device opens without blocking (or not at all)
  // and is then left alone, as only a regular file is a journal.
  auto open_journal = [this] {
    return ::open(path_->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
  };
  int fd = open_journal();
  if (fd < 0 && errno == ENOENT && make_directories(*path_)) fd = open_journal();
  std::string why;
  struct stat st {};
  if (fd < 0) {
    why = errno == ENXIO ? "not a regular file" : std::strerror(errno);
  } else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "not a regular file";
  } else {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n != static_cast<ssize_t>(text.size())) why = std::strerror(n < 0 ? errno : ENOSPC);
  }
  if (fd >= 0) ::close(fd);
  if (!why.empty() && !warned_) {
    warned_ = true;
    if (warn_) warn_("audit journal " + *path_ + " not writable: " + why);
  }
  return why.empty();
}

JournalRead read_journal(std::string_view text) {
  JournalRead read;
  std::istringstream lines{std::string(text)};
  int number = 0;
  for (std::string s; std::getline(lines, s);) {
    ++number;
    if (s.empty()) continue;
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(s, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
      read.damaged.push_back("line " + std::to_string(number) + ": not a JSON object");
    } else if (!j.contains("time") || !j["time"].is_string() || !j.contains("operation") ||
               !j["operation"].is_string()) {
      read.damaged.push_back("line " + std::to_string(number) + ": no time or operation");
    } else {
      read.entries.emplace_back(number, std::move(j));
    }
  }
  return read;
}

}  // namespace kdv::link
