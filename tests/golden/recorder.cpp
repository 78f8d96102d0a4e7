// Records one golden scenario: runs the whole console from its start-up
// routine on a scripted terminal, with the receiver simulator as the serial
// port, in virtual time, and writes a transcript of what the user saw, what
// crossed the line and which files were left behind.
//
//   kdv578_golden SCENARIOS NAME OUT      (OUT "-": standard output)
//
// Every scenario runs in a process of its own, so it starts from the state
// a freshly started program has. The scenario file format is described at
// the top of tests/golden/scenarios.txt.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/startup.h"
#include "model/records.h"
#include "sim_port.h"
#include "ui/glyphs.h"
#include "ui/console.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The working directory of every run: one fixed path, since the program
// shows it (in part, and in places where any unique part of it could show).
// Runs take turns through a lock on a file beside it.
constexpr const char* kScratch = "/tmp/kdv578-golden";
constexpr const char* kScratchLock = "/tmp/kdv578-golden.lock";

// ---- Scenario ---------------------------------------------------------------

// One step of a key script: a key, or a directive run at the next key read.
struct Step {
  Bytes codes;         // the key's codes (an extended key is 0 and its scan code)
  bool poll = false;   // typed during an exchange: only a key poll takes it,
  std::size_t after = 0;  // ... once this many more request frames went out
  std::string action;  // a directive instead of a key
};

struct Scenario {
  std::vector<std::string> setup;
  std::vector<Step> script;
};

const std::map<std::string, Bytes> kKeyNames = {
    {"Enter", {13}},   {"Esc", {27}},      {"Bksp", {8}},      {"Up", {0, 72}},
    {"Down", {0, 80}}, {"Left", {0, 75}},  {"Right", {0, 77}}, {"Del", {0, 83}},
    {"AltX", {0, 45}}};

std::string key_name(const Bytes& codes) {
  for (const auto& [name, c] : kKeyNames)
    if (c == codes) return name;
  if (codes.size() == 1 && codes[0] > 32 && codes[0] < 127) return std::string("'") + char(codes[0]) + "'";
  if (codes.size() == 1 && codes[0] == 32) return "Space";
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X", codes.back());
  return buf;
}

[[noreturn]] void fail(const std::string& why) {
  std::cerr << "kdv578_golden: " << why << '\n';
  std::exit(2);
}

// Splits a keys line into tokens: quoted texts and braced directives stay whole.
std::vector<std::string> tokens(const std::string& line) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < line.size();) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end = i;
    for (char close = 0; end < line.size() && (close || line[end] != ' '); ++end) {
      if (close && line[end] == close) close = 0;
      else if (!close && (line[end] == '"' || line[end] == '{')) close = line[end] == '"' ? '"' : '}';
    }
    out.push_back(line.substr(i, end - i));
    i = end;
  }
  return out;
}

// A token: [~]KEY[*N][@N], KEY a name, "text" (one key per character) or #HH.
void add_keys(const std::string& token, std::vector<Step>& script) {
  if (token.front() == '{') {
    script.push_back({{}, false, 0, token.substr(1, token.size() - 2)});
    return;
  }
  Step key;
  std::string t = token;
  key.poll = t.front() == '~';
  if (key.poll) t.erase(0, 1);
  // Suffixes stand after the key (after the closing quote of a text).
  const std::size_t body = t.front() == '"' ? t.rfind('"') : 0;
  auto suffix = [&t, body](char mark) -> std::optional<std::string> {
    const auto at = t.rfind(mark);
    if (at == std::string::npos || at <= body) return std::nullopt;
    std::string value = t.substr(at + 1);
    t.resize(at);
    return value;
  };
  if (const auto after = suffix('@')) key.after = std::stoul(*after);
  const auto repeat_text = suffix('*');
  const int repeat = repeat_text ? std::stoi(*repeat_text) : 1;
  std::vector<Bytes> keys;
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') {
    for (char c : t.substr(1, t.size() - 2)) keys.push_back({static_cast<std::uint8_t>(c)});
  } else if (t.size() == 3 && t.front() == '#') {
    keys.push_back({static_cast<std::uint8_t>(std::stoi(t.substr(1), nullptr, 16))});
  } else if (kKeyNames.count(t)) {
    keys.push_back(kKeyNames.at(t));
  } else {
    fail("unknown key " + token);
  }
  for (int r = 0; r < repeat; ++r)
    for (const Bytes& codes : keys) {
      script.push_back(key);
      script.back().codes = codes;
    }
}

Scenario load(const std::string& path, const std::string& name) {
  std::ifstream in(path);
  if (!in) fail("cannot read " + path);
  Scenario s;
  bool found = false, inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("== ")) {
      inside = line.substr(3) == name;
      found = found || inside;
      continue;
    }
    if (!inside || line.empty() || line.front() == '#') continue;
    if (line.starts_with("keys ")) {
      for (const std::string& t : tokens(line.substr(5))) add_keys(t, s.script);
    } else {
      s.setup.push_back(line);
    }
  }
  if (!found) fail("no scenario " + name + " in " + path);
  return s;
}

// ---- Directives ---------------------------------------------------------------

using kdv::model::ChannelRecord;
using kdv::model::ReceiverRecord;

double number(const std::string& v) { return std::stod(v); }
long whole(const std::string& v) { return std::stol(v, nullptr, 0); }

template <class Rec, class T>
std::function<void(Rec&, const std::string&)> field(T Rec::*member) {
  return [member](Rec& r, const std::string& v) {
    if constexpr (std::is_floating_point_v<T>) r.*member = number(v);
    else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) r.*member = static_cast<T>(whole(v));
    else r.*member = v;
  };
}

// The simulated receiver's settings the scenarios change (more can be added).
const std::map<std::string, std::function<void(ReceiverRecord&, const std::string&)>> kRxFields = {
    {"data_format", field(&ReceiverRecord::DATA_FORMAT)}, {"no_of_tx", field(&ReceiverRecord::NO_OF_TX)},
    {"hcaswitch", field(&ReceiverRecord::HCASWITCH)},     {"ipswitch", field(&ReceiverRecord::IPSWITCH)}};
const std::map<std::string, std::function<void(ChannelRecord&, const std::string&)>> kChFields = {
    {"low", field(&ChannelRecord::LOW_ALARM)}};

template <class Map>
const typename Map::mapped_type& lookup(const Map& m, const std::string& key) {
  const auto it = m.find(key);
  if (it == m.end()) fail("unknown field " + key);
  return it->second;
}

// Runs one directive against the simulator and the working directory:
//   fault no_reply|short_reply|tx_failed|hht|bad_numbers|clear
//   fault refuse|wrong_frame|noise|only N    fault after N (frames from now)
//   rx FIELD VALUE     ch T C FIELD VALUE
//   mkdir DIR          touch FILE ...     poke FILE OFFSET HH HH ...
void run_directive(const std::string& directive, kdv::sim::Receiver& rx) {
  std::istringstream in(directive);
  std::string verb, what;
  in >> verb >> what;
  std::string rest;
  std::getline(in >> std::ws, rest);
  kdv::sim::Faults& f = rx.faults;
  auto hex_bytes = [](const std::string& text) {
    Bytes b;
    std::istringstream h(text);
    for (std::string x; h >> x;) b.push_back(static_cast<std::uint8_t>(std::stoi(x, nullptr, 16)));
    return b;
  };
  if (verb == "fault") {
    const std::map<std::string, bool*> flags = {{"no_reply", &f.no_reply}, {"short_reply", &f.short_reply},
                                                {"tx_failed", &f.tx_failed}, {"hht", &f.hht},
                                                {"bad_numbers", &f.bad_numbers}};
    const std::map<std::string, int*> numbers = {{"refuse", &f.refuse}, {"wrong_frame", &f.wrong_frame},
                                                 {"noise", &f.noise}, {"only", &f.only_command}};
    if (flags.count(what)) *flags.at(what) = true;
    else if (numbers.count(what)) *numbers.at(what) = static_cast<int>(whole(rest));
    else if (what == "after") f.after = rx.frames() + static_cast<std::size_t>(whole(rest));
    else if (what == "clear") f = kdv::sim::Faults{};
    else fail("unknown fault " + what);
  } else if (verb == "rx") {
    lookup(kRxFields, what)(rx.state(), rest);
  } else if (verb == "ch") {
    std::istringstream r(rest);
    int c = 0;
    std::string name, value;
    r >> c >> name >> value;
    lookup(kChFields, name)(rx.state().TRANSMITTER[static_cast<int>(whole(what))].CHANNEL[c], value);
  } else if (verb == "mkdir") {
    fs::create_directories(what);
  } else if (verb == "touch") {
    std::istringstream names(what + " " + rest);
    for (std::string n; names >> n;) std::ofstream{n};
  } else if (verb == "poke") {
    std::istringstream r(rest);
    std::string offset;
    r >> offset >> std::ws;
    std::getline(r, rest);
    std::fstream file(what, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) fail("poke: no file " + what);
    file.seekp(whole(offset));
    for (std::uint8_t b : hex_bytes(rest)) file.put(static_cast<char>(b));
  } else {
    fail("unknown directive " + directive);
  }
}

// ---- Transcript -----------------------------------------------------------------

struct Ended {};  // the key script ran out, or the program quit

std::string hex(std::uint8_t b) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", b);
  return buf;
}

void replace_all(std::string& s, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; !from.empty() && (at = s.find(from, at)) != std::string::npos; at += to.size())
    s.replace(at, from.size(), to);
}

// The terminal the program runs on and the watcher of the simulated line:
// writes the screen at every key read, key poll that takes a key, delay and
// port opening (the whole screen first, then the rows that changed), and
// every byte that crosses the line, all on one virtual clock.
class Recorder : public kdv::ui::Terminal, public kdv::sim::LineWatcher {
 public:
  Recorder(std::vector<Step> script, kdv::sim::Receiver& rx) : script_(std::move(script)), rx_(rx) {}

  std::string text;
  bool runaway = false;

  void present(kdv::ui::ScreenModel&) override {}
  void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) override {
    const bool read = timeout_ms < 0;
    // Directives run at key reads only, where the program waits for the user.
    while (read && next_ < script_.size() && !script_[next_].action.empty()) {
      event("do " + script_[next_].action);
      run_directive(script_[next_++].action, rx_);
    }
    if (next_ == script_.size() || !script_[next_].action.empty()) {
      if (!read) return;
      snapshot("key read: no keys left");
      throw Ended{};
    }
    const Step& key = script_[next_];
    if (read && key.poll) {
      snapshot("key read: the next key is for an exchange");
      throw Ended{};
    }
    if (!read && (!key.poll || rx_.frames() < armed_ + key.after)) return;
    snapshot((read ? "key read: " : "key poll: ") + key_name(key.codes));
    queue.insert(queue.end(), key.codes.begin(), key.codes.end());
    ++next_;
    armed_ = rx_.frames();
    opened_since_key_ = 0;
  }
  void sleep(unsigned ms) override {
    snapshot("delay " + std::to_string(ms) + " ms");
    clock_ += ms;
  }
  void bell() override { event("bell"); }
  void cursor_visible(bool visible) override { cursor_ = visible; }
  [[noreturn]] void quit(int code, std::string_view message) override {
    snapshot("quit " + std::to_string(code) + (message.empty() ? "" : " " + std::string(message)));
    throw Ended{};
  }

  void opened(std::string_view port, bool ok) override {
    snapshot("open " + std::string(port) + (ok ? "" : " failed"));
    // A program that exchanges on and on without reading a key never ends.
    if (++opened_since_key_ > 5000) {
      event("stopped: 5000 port openings without a key read");
      runaway = true;
      throw Ended{};
    }
  }
  void sent(std::uint8_t b) override { byte('>', b); }
  void received(std::uint8_t b) override { byte('<', b); }
  void waited(int ms) override {
    if (line_kind_ != '-' || wait_ms_ != ms) flush();
    line_kind_ = '-';
    wait_ms_ = ms;
    ++waits_;
    clock_ += static_cast<std::uint64_t>(ms);
  }

  // A line of its own in the transcript.
  void event(const std::string& what) {
    flush();
    text += "@" + std::to_string(clock_) + " " + what + "\n";
  }

 private:
  void snapshot(const std::string& what) {
    const kdv::ui::ScreenModel& m = kdv::ui::screen_model();
    const int x = m.win_left() + m.where_x() - 1, y = m.win_top() + m.where_y() - 1;
    event(what + (cursor_ ? "  [cursor " + std::to_string(x) + "," + std::to_string(y) + "]" : ""));
    for (int row = 1; row <= kdv::ui::kRows; ++row) {
      const std::string chars = m.row_text(row);
      std::string attrs;
      for (int col = 1; col <= kdv::ui::kColumns;) {
        const std::uint8_t a = m.cell(col, row).attr;
        int run = 1;
        while (col + run <= kdv::ui::kColumns && m.cell(col + run, row).attr == a) ++run;
        attrs += (attrs.empty() ? "" : " ") + hex(a) + (run > 1 ? "x" + std::to_string(run) : "");
        col += run;
      }
      std::string shown;
      for (char c : chars) shown += kdv::model::utf8_of(kdv::model::kUnicodeTable[static_cast<std::uint8_t>(c)]);
      const std::string lines = (row < 10 ? " " : "") + std::to_string(row) + " |" + shown + "|\n   " + attrs + "\n";
      if (rows_[row - 1] != lines) text += lines;
      rows_[row - 1] = lines;
    }
  }

  void byte(char kind, std::uint8_t b) {
    if (line_kind_ != kind) flush();
    line_kind_ = kind;
    line_.push_back(b);
  }

  // Ends the line of bytes (or of time-outs) being collected.
  void flush() {
    if (line_kind_ == '-') {
      text += "  - no byte within " + std::to_string(wait_ms_) + " ms" +
              (waits_ > 1 ? " x" + std::to_string(waits_) : "") + "\n";
    } else if (line_kind_) {
      std::string hexes, printable;
      for (std::uint8_t b : line_) {
        hexes += hex(b) + " ";
        printable += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
      }
      text += std::string("  ") + line_kind_ + " " + hexes + " " + printable + "\n";
    }
    line_kind_ = 0;
    line_.clear();
    waits_ = 0;
  }

  std::vector<Step> script_;
  std::size_t next_ = 0;
  std::size_t armed_ = 0;  // request frames when the last key was taken
  int opened_since_key_ = 0;
  kdv::sim::Receiver& rx_;
  std::uint64_t clock_ = 0;
  bool cursor_ = true;
  std::string rows_[kdv::ui::kRows];
  char line_kind_ = 0;  // '>' sent, '<' received, '-' time-outs
  Bytes line_;
  int wait_ms_ = 0, waits_ = 0;
};

// Today's date as the report writes it.
std::string report_date() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  ::localtime_r(&now, &t);
  return "Date: " + std::to_string(t.tm_mday) + "/" + std::to_string(t.tm_mon + 1) + "/" +
         std::to_string(t.tm_year + 1900);
}

// Every file the run left in the scratch directory (the screen definition
// files only when they changed): binary files in hex, 32 bytes a line with
// repeated lines as "*", text files line by line with other bytes as \xHH.
std::string files(const fs::path& dir, const std::vector<std::string>& dates) {
  std::vector<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(dir)) paths.push_back(e.path());
  std::sort(paths.begin(), paths.end());
  std::string out = "== files\n";
  for (const fs::path& p : paths) {
    const std::string rel = fs::relative(p, dir).string();
    if (fs::is_directory(p)) {
      out += "-- " + rel + "/\n";
      continue;
    }
    std::ifstream in(p, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const fs::path shipped = fs::path(KDV578_SOURCE_DIR "/data") / rel;
    if (p.extension() == ".scn" && fs::exists(shipped)) {
      std::ifstream s(shipped, std::ios::binary);
      if (bytes == std::string{std::istreambuf_iterator<char>(s), std::istreambuf_iterator<char>()}) continue;
    }
    for (const std::string& d : dates) replace_all(bytes, d, "Date: <today>");
    out += "-- " + rel + " (" + std::to_string(bytes.size()) + " bytes)\n";
    if (bytes.find('\0') != std::string::npos) {
      std::string previous;
      bool starred = false;
      for (std::size_t at = 0; at < bytes.size(); at += 32) {
        std::string row;
        for (std::size_t i = at; i < std::min(bytes.size(), at + 32); ++i)
          row += " " + hex(static_cast<std::uint8_t>(bytes[i]));
        if (row == previous && at + 32 < bytes.size()) {
          if (!starred) out += "  *\n";
          starred = true;
          continue;
        }
        char offset[24];
        std::snprintf(offset, sizeof offset, "  %04zX", at);
        out += offset + row + "\n";
        previous = row;
        starred = false;
      }
      continue;
    }
    std::string line = "  |";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto c = static_cast<std::uint8_t>(bytes[i]);
      if (c == '\n') {
        out += line + "\n";
        line = "  |";
      } else {
        line += c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c))
                                                   : (c == '\\' ? "\\\\" : "\\x" + hex(c));
      }
    }
    if (line != "  |") out += line + "  (no line end)\n";
  }
  return out;
}

// The program from its start-up routine on the recorder, until the key
// script ends or the program quits.
void run_program(Recorder& rec, kdv::model::Session& session) {
  kdv::ui::install_terminal(&rec);
  try {
    kdv::app::start_up(session);
  } catch (const Ended&) {
  }
  kdv::ui::install_terminal(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) fail("usage: kdv578_golden SCENARIOS NAME OUT");
  const Scenario scenario = load(argv[1], argv[2]);

  const int lock = ::open(kScratchLock, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock < 0 || ::flock(lock, LOCK_EX) != 0) fail(std::string("cannot lock ") + kScratchLock);
  fs::remove_all(kScratch);
  fs::create_directory(kScratch);
  for (const char* f : {"mess578.scn", "conf578.scn"})
    fs::copy_file(fs::path(KDV578_SOURCE_DIR "/data") / f, fs::path(kScratch) / f);
  fs::current_path(kScratch);
  // Printers: LPT1 and LPT3 are spoolers that write files, LPT2 cannot be
  // opened.
  ::setenv("KDV578_LPT1", "|cat >lpt1.prn", 1);
  ::setenv("KDV578_LPT2", "missing/lpt2.prn", 1);
  ::setenv("KDV578_LPT3", "|cat >lpt3.prn", 1);
  ::setenv("KDV578_PORTS", "COM1", 1);

  kdv::model::Session session;
  kdv::sim::Receiver rx;
  Recorder rec(scenario.script, rx);
  kdv::sim::PluggedIn plug(rx, session, "COM1");
  plug.watcher = &rec;
  rec.text = "golden transcript " + std::string(argv[2]) + "\n";
  // Setup lines: "args A B ..." (the command line), "ports LIST" (the
  // machine's serial ports), or a directive.
  for (const std::string& line : scenario.setup) {
    if (line.starts_with("args ")) {
      std::istringstream in(line.substr(5));
      for (std::string a; in >> a;) session.arguments.push_back(a);
    } else if (line.starts_with("ports")) {
      ::setenv("KDV578_PORTS", line.size() > 6 ? line.substr(6).c_str() : "", 1);
    } else {
      run_directive(line, rx);
    }
  }

  std::vector<std::string> dates = {report_date()};  // a run may pass midnight
  run_program(rec, session);
  dates.push_back(report_date());
  rec.event("end");
  rec.text += files(kScratch, dates);
  fs::current_path("/");
  fs::remove_all(kScratch);
  ::close(lock);
  if (std::string(argv[3]) == "-") {
    std::cout << rec.text;
  } else {
    std::ofstream out(argv[3], std::ios::binary);
    out << rec.text;
    if (!out) fail(std::string("cannot write ") + argv[3]);
  }
  return rec.runaway ? 3 : 0;
}
