// The frame trace: every byte that crossed the line, grouped into lines of
// one direction, with time-outs and hang-ups as lines of their own.
//
// A trace is a text file. Its first line starts with "#" and names the
// columns; every other line has five fields separated by tabs:
//
//     ms  direction  attempt  hex  text
//
//   ms         milliseconds of the monotonic clock since the first line's
//              event: for bytes, when the line's last byte crossed
//   direction  ">" bytes to the receiver, "<" bytes from it, "timeout" (no
//              byte within the wait), "hangup" (the line hung up), "unopened"
//              (the port could not be opened), "cut" (a reply without its ETX
//              in time: the time since its STX and the bytes received),
//              "aborted" (Escape or the program's stop signal ended the wait)
//   attempt    1 for a request's first sending, 2 for the link's retry of
//              it; empty in the simulator's trace
//   hex        the bytes as two upper-case hex digits each, one blank apart
//   text       the bytes 20h..7Eh as themselves, every other byte as "."; for
//              the other directions a short explanation
//
// A line of bytes ends at an ETX, when the direction or attempt changes, at
// an event and when the port closes: junk before a reply's STX stays on the
// reply's line, and a request that Escape cut short is a line without ETX.
// Every line is one write(2). A line that cannot be written whole (a full
// disk, a file size limit) cuts the file back to its last whole line and
// ends the trace; the exchanges go on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/serial_port.h"

namespace kdv::link {

// The first line of every trace file: its title and the names of its columns.
inline constexpr std::string_view kTraceHeading = "# kdv578 frame trace\tms\tdirection\tattempt\thex\ttext\n";

enum class TraceEvent : std::uint8_t { kTimeout, kHangup, kUnopened, kCut, kAborted };

class TraceFile {
 public:
  // Milliseconds of a monotonic clock.
  using Clock = std::function<std::int64_t()>;

  // Creates or empties the file and writes the heading; on failure nothing
  // and the reason in `error`.
  static std::unique_ptr<TraceFile> create(const std::string& path, std::string& error,
                                           Clock clock = {});
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // One byte that crossed the line: to the receiver (request) or from it.
  void byte(bool request, std::uint8_t b, std::string_view attempt);
  void event(TraceEvent e, std::string_view attempt, std::string_view text);
  // Writes the line being gathered, if any.
  void flush();
  // Why the trace was cut short ("the trace t.trace is cut at its last
  // whole line: File too large"), or nothing while it is whole.
  const std::optional<std::string>& cut() const { return cut_; }

 private:
  TraceFile(int fd, std::string path, Clock clock);
  std::int64_t elapsed();
  void write_line(std::string_view direction, std::string_view attempt, std::string_view hex,
                  std::string_view text, std::int64_t ms);
  // Writes the text whole; otherwise takes back what went out and returns
  // why.
  [[nodiscard]] std::optional<std::string> write_text(const std::string& text);

  int fd_;
  std::string path_;
  Clock clock_;
  std::int64_t whole_ = 0;  // the length of the whole lines written
  std::optional<std::string> cut_;
  std::optional<std::int64_t> start_;
  // The line being gathered.
  bool request_ = false;
  std::string attempt_;
  std::vector<std::uint8_t> bytes_;
  std::int64_t last_ms_ = 0;
};

// Starts the link's trace into the file, replacing one already running;
// the reason when the file cannot be written.
std::optional<std::string> start_trace(const std::string& path);
// Ends the link's trace, writing what it gathered.
void stop_trace();
// Why the link's last trace was cut short, or nothing; kept after it stops,
// until the next start.
std::optional<std::string> trace_cut();
// The attempt number the link's trace gives the lines that follow.
void trace_attempt(int attempt);
// A line of its own in the running trace, if any: what the link decided.
void trace_note(TraceEvent e, std::string_view text);
// The port wrapped so that what crosses it goes into the running trace; the
// port itself while no trace runs.
std::unique_ptr<SerialPort> traced(std::unique_ptr<SerialPort> port);

}  // namespace kdv::link
