#include "ctl/monitor_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "ctl/paths.h"
#include "link/command_set.h"
#include "link/link.h"
#include "link/outcome.h"
#include "model/code_page_437.h"
#include "model/editor_rules.h"

namespace kdv::ctl {

namespace {

using Clock = std::chrono::steady_clock;

std::string trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

std::string now_text() {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  return utc_milliseconds(ms);
}

// The CSV lines of one pass, and where they go.
class Sheet {
 public:
  Sheet(const std::string& path, int receiver) : receiver_(std::to_string(receiver)) {
    file_ = path == "-" ? stdout : std::fopen(path.c_str(), "w");
    if (!file_) throw Failure{Exit::kFile, "kdv578ctl: cannot write " + path};
    owned_ = file_ != stdout;
    path_ = path;
    rows_ = "time,receiver,transmitter,channel,value,unit,alarm,error\n";
    flush();
  }
  ~Sheet() {
    if (owned_) std::fclose(file_);
  }
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  void row(const std::string& time, int tx, std::string_view channel, std::string_view value, std::string_view unit,
           std::string_view alarm, std::string_view error) {
    rows_ += time + "," + receiver_ + "," + std::to_string(tx) + "," + csv_field(channel) + "," + csv_field(value) +
             "," + csv_field(unit) + "," + csv_field(alarm) + "," + csv_field(error) + "\n";
  }
  // The pass's lines written out at once.
  void flush() {
    if (std::fwrite(rows_.data(), 1, rows_.size(), file_) != rows_.size() || std::fflush(file_) != 0)
      throw Failure{Exit::kFile, "kdv578ctl: cannot write " + (path_ == "-" ? std::string("standard output") : path_)};
    rows_.clear();
  }

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  std::string path_;
  std::string receiver_;
  std::string rows_;
};

// The rows of one transmitter's reading: its channels, then the cold
// junction (a 571's), the highways and, with all values, the ELD input.
void reading_rows(Sheet& sheet, const kdv::model::ReceiverRecord& rx, int t, int channel, int type,
                  const kdv::link::Outcome& pass) {
  const std::string time = now_text();
  const kdv::model::TransmitterRecord& tx = rx.TRANSMITTER[t];
  const std::string old = pass.old_values ? trimmed(pass.text.view()) : "";
  const int first = channel ? channel : 1;
  const int last = channel ? channel : kdv::model::channel_count(static_cast<kdv::model::Byte>(type));
  for (int c = first; c <= last; ++c) {
    const kdv::model::ChannelRecord& ch = tx.CHANNEL[c];
    const std::string_view alarm = ch.ALARM == kdv::model::kHigh ? "HIGH" : ch.ALARM == kdv::model::kLow ? "LOW" : "";
    sheet.row(time, t, std::to_string(c), trimmed(ch.VALUE.view()), trimmed(kdv::model::to_utf8(ch.VUNIT.view())), alarm,
              old);
  }
  if (type == 1)
    sheet.row(time, t, "cj", trimmed(tx.CJTEMP.view()), trimmed(kdv::model::to_utf8(tx.CJUNIT.view())), "", old);
  sheet.row(time, t, "highway1", rx.HW1 ? "ok" : "failed", "", "", old);
  sheet.row(time, t, "highway2", rx.HW2 ? "ok" : "failed", "", "", old);
  if (!channel) sheet.row(time, t, "eld", rx.ELD ? "active" : "inactive", "", "", old);
}

// Waits until the moment, or less once interrupted.
void wait_until(Clock::time_point when) {
  while (Clock::now() < when && !interrupted())
    std::this_thread::sleep_for(std::min<Clock::duration>(when - Clock::now(), std::chrono::milliseconds(50)));
}

}  // namespace

std::optional<double> duration_seconds(std::string_view text) {
  double unit = 1;
  if (!text.empty() && (text.back() == 's' || text.back() == 'm' || text.back() == 'h')) {
    unit = text.back() == 'h' ? 3600 : text.back() == 'm' ? 60 : 1;
    text.remove_suffix(1);
  }
  double x = 0;
  if (!kdv::link::parse_decimal(text, x) || !(x >= 0) || !std::isfinite(x)) return std::nullopt;
  return x * unit;
}

std::string csv_field(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string utc_milliseconds(long long ms) {
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm t{};
  ::gmtime_r(&seconds, &t);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(ms % 1000));
  return text;
}

Exit monitor_command(const MonitorOptions& o) {
  std::optional<double> limit;
  if (!o.duration.empty()) {
    limit = duration_seconds(o.duration);
    if (!limit) throw Failure{Exit::kUsage, "kdv578ctl: --duration " + o.duration + ": 30s, 10m or 2h expected"};
  }
  if (o.tx < 0 || o.tx > 4 || o.channel < 0 || o.channel > 16 || o.count < 0 || !(o.interval >= 0))
    throw Failure{Exit::kUsage, "kdv578ctl: --tx 1..4, --channel 1..16, --count and --interval 0 or more"};
  refuse_overlaps({}, device_outputs(o.device, false, document_file("-o", o.output)));
  Session s(o.device);
  const int r = s.receiver();
  std::vector<int> transmitters;
  if (o.tx) {
    transmitters.push_back(o.tx);
  } else {
    const kdv::link::Outcome count = kdv::link::Link(s.state()).READ_NO_TX(r);
    if (!count.ok()) fail("monitor: the number of transmitters", count);
    for (int t = 1; t <= s.record().NO_OF_TX; ++t) transmitters.push_back(t);
  }
  Sheet sheet(o.output, r);
  s.show_progress("monitor", nullptr);
  const Clock::time_point start = Clock::now();
  const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.interval));
  bool any_read = false;
  for (int pass = 1; o.count == 0 || pass <= o.count; ++pass) {
    const Clock::time_point begun = Clock::now();
    if (limit && begun - start >= std::chrono::duration<double>(*limit)) break;
    for (const int t : transmitters) {
      s.note("pass " + std::to_string(pass) + (o.count ? " of " + std::to_string(o.count) : "") + ", tx " +
             std::to_string(t) + (o.channel ? " ch " + std::to_string(o.channel) : ""));
      int type = 1;
      kdv::link::Outcome reading;
      {
        kdv::link::Link link(s.state());  // its port is closed when it goes
        reading = link.READ_CJ(r, t);
        if (reading.ok())
          reading = o.channel ? link.READ_INPUT(r, t, o.channel, type) : link.READ_VALS(r, t, type);
      }
      if (interrupted()) break;
      if (reading.ok()) {
        any_read = true;
        reading_rows(sheet, s.record(), t, o.channel, type, reading);
      } else {
        sheet.row(now_text(), t, "", "", "", "", describe(reading));
        break;
      }
    }
    sheet.flush();
    if (interrupted()) return Exit::kInterrupted;
    wait_until(begun + interval);
    if (interrupted()) return Exit::kInterrupted;
  }
  // Readings, however few, are what a loop check records; none at all is a
  // link that failed throughout.
  return any_read ? Exit::kDone : Exit::kLink;
}

}  // namespace kdv::ctl
