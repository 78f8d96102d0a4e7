// kdv578ctl monitor: live readings as CSV, pass after pass, each pass
// flushed; a failed pass is an error row and the loop goes on.
#pragma once

#include <optional>
#include <string>

#include "ctl/receiver_session.h"

namespace kdv::ctl {

struct MonitorOptions {
  DeviceOptions device;
  int tx = 0;       // 0: every configured transmitter in turn
  int channel = 0;  // 0: all channels, with the all-values reading
  double interval = 0;  // least seconds between pass starts
  int count = 0;        // 0: no limit
  std::string duration;  // "30s", "10m", "2h"; empty: no limit
  std::string output = "-";
};

// Exit 0 when any pass read values, 4 when every pass failed.
Exit monitor_command(const MonitorOptions& o);

// Seconds of a duration "30s", "10m", "2h" (a bare number is seconds).
std::optional<double> duration_seconds(std::string_view text);

// One CSV field (RFC 4180): quoted when it holds a comma, a quote or a line
// end.
std::string csv_field(std::string_view text);

// "2026-12-08T01:02:03.456Z" for milliseconds since the epoch.
std::string utc_milliseconds(long long ms);

}  // namespace kdv::ctl
