// The report text, its destination and its way to a printer or a file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "model/messages.h"
#include "model/value_text.h"
#include "report/report.h"

namespace kdv::report {

namespace {

// A field text as the report holds it: at most 16 characters.
std::string field(std::string_view s) { return std::string(s.substr(0, 16)); }

// Characters from..from+count-1 (1-based) of s, as far as s reaches.
std::string part(std::string_view s, std::size_t from, std::size_t count) {
  return from > s.size() ? std::string() : std::string(s.substr(from - 1, count));
}

// A message table text as a field: padded to the full 16 characters, so a
// data file whose trailing blanks were trimmed keeps the columns in place.
std::string message(const kdv::model::MESSAGES& messages, int n) {
  std::string s = field(messages[n]);
  s.resize(16, ' ');
  return s;
}

// A number with 4 decimals in 10 characters.
std::string number(double v, std::string_view blanks) {
  return field(std::string(blanks) + kdv::model::fixed_decimal(v, 10, 4));
}

int baud_rate(kdv::model::Byte code) {
  static constexpr int kRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400};
  return code >= 1 && code <= 8 ? kRates[code - 1] : 0;
}

std::string data_format(kdv::model::Byte code) {
  const int position = kdv::model::data_format_position(code);
  if (position == 0) return "   unknown   ";
  return part(" " + kdv::model::kDataFormatNames[position], 1, 15);
}

std::string units(kdv::model::Byte code) {
  switch (code) {
    case 1: return "  Centigrade";
    case 2: return "  Fahrenheit";
    case 3: return "  Kelvin    ";
    default: return "     ?    ";
  }
}

std::string parity(kdv::model::Byte code) {
  switch (code) {
    case 0: return "none";
    case 1: return "odd";
    case 2: return "even";
    default: return "?";
  }
}

void header(std::string& out, const kdv::model::ReceiverRecord& r, Date d) {
  out += "\n";
  out += "               Configuration Report KDV 578 Modbus Multiplexer  \n";
  out += "            ====================================================\n";
  out += "       Tag Name: " + r.TAG_FIELD + "                  Date: " + std::to_string(d.day) + "/" +
         std::to_string(d.month) + "/" + std::to_string(d.year) + "\n";
  out += "       Software Versions: HCA " + r.HCAVER + "\n";
  out += "                           IP " + r.IPVER + "\n";
  out += "       Baudrate:    " + kdv::model::right_aligned(baud_rate(r.MOD_BAUD), 5) +
         "                    Data Format:" + data_format(r.DATA_FORMAT) + "\n";
  out += "       Databits:      " + std::string(r.MOD_DBITS == 1 ? "8" : "7") +
         "                Temperature Units:" + units(r.UNITS) + "\n";
  out += "         Parity:     " + parity(r.MOD_PARITY) + "\n";
  out += "       Stopbits:      " + kdv::model::right_aligned(r.MOD_STOP, 1) + "\n";
  out += " Line Rejection:    " + std::to_string(r.LINE_REJ * 10 + 50) + "Hz\n";
}

// The three lines of one channel.
void channel(std::string& out, const kdv::model::MESSAGES& messages, const kdv::model::TransmitterRecord& t, int ch,
             bool rtd) {
  const kdv::model::ChannelRecord& c = t.CHANNEL[ch];
  const bool type1 = t.TXTYPE == 1;
  const std::string na = message(messages, kdv::model::kMessageNotAvailable);
  std::string input = field(kdv::model::input_type_name(t.TXTYPE, c.INPUT_TYPE));
  std::string drive = na, high = na, low = na, ipzero = na, opzero = na, gain = na;
  if (type1 && rtd && ch == 16) {
    input = message(messages, kdv::model::kMessageCjSensor);
  } else {
    ipzero = number(c.SCALE_IPZERO, "     ");
    opzero = number(c.SCALE_OPZERO, "     ");
    gain = number(c.SCALE_GAIN, "     ");
    if (!(type1 && c.INPUT_TYPE == 15)) {
      high = number(c.HIGH_ALARM, "     ");
      low = number(c.LOW_ALARM, "      ");
      // A drive setting outside 0..2 only comes from a damaged file.
      if (type1 && !rtd)
        drive = c.THC_DRIVE <= 2 ? message(messages, kdv::model::kMessageDriveUpscale + c.THC_DRIVE) : "   unknown      ";
    }
  }
  out += kdv::model::right_aligned(ch, 2) + "  " + input + "  High :" + part(high, 1, 11) + "  I/P Zero:" +
         part(ipzero, 1, 11) + "  Gain:" + part(gain, 1, 11) + "\n";
  out += "Sfty Drive " + part(drive, 3, 12) + "Low :" + part(low, 1, 11) + "  O/P Zero:" +
         part(opzero, 1, 11) + "\n";
  out += "\n";
}

}  // namespace

std::string destination_name(kdv::model::Byte lpt, std::string_view file) {
  return lpt >= 1 && lpt <= 3 ? "LPT" + std::to_string(lpt) : std::string(file);
}

std::string report_text(const kdv::model::Session& session, int r, Date today) {
  return report_text(session.messages, *session.receivers[static_cast<std::size_t>(r)], today);
}

std::string report_text(const kdv::model::MESSAGES& messages, const kdv::model::ReceiverRecord& rx, Date today) {
  std::string out;
  header(out, rx, today);
  const std::string rule(77, '-');
  // A damaged file may claim more transmitters than a receiver holds.
  const int count = std::min<int>(rx.NO_OF_TX, 4);
  for (int t = 1; t <= count; ++t) {
    const kdv::model::TransmitterRecord& tx = rx.TRANSMITTER[t];
    out += "\n";
    out += "    Transmitter:   " + std::to_string(t) + " of " + std::to_string(rx.NO_OF_TX) +
           "     Type: KDV 57" + std::to_string(tx.TXTYPE) + "\n";
    out += rule + "\n";
    out += " Ch No  Input Type          Alarms               Scaling Parameters\n";
    out += rule + "\n";
    const bool type1 = tx.TXTYPE == 1;
    const bool rtd = type1 && kdv::model::has_cold_junction_channel(tx);
    for (int ch = 1; ch <= (type1 ? 16 : 8); ++ch) channel(out, messages, tx, ch, rtd);
    out += "\f";
  }
  return out;
}

namespace {

// 1..3 for "LPT1".."LPT3" in any case, otherwise 0.
int printer_number(std::string_view name) {
  if (name.size() != 4 || name[3] < '1' || name[3] > '3') return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "LPT"[i]) return 0;
  return name[3] - '0';
}

// A printer device: only an existing character device is opened, so a
// missing printer never becomes a file (nothing is created or truncated).
std::FILE* open_device(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return nullptr;
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) ? ::fdopen(fd, "w") : nullptr;
  if (!f) ::close(fd);
  return f;
}

// A spooler command fed on its standard input. Its own output and error
// output are discarded: they would land on the program's screen.
std::FILE* open_spooler(std::string_view command) {
  return ::popen(("exec >/dev/null 2>&1\n" + std::string(command)).c_str(), "w");
}

}  // namespace

std::string destination_path(std::string_view name) {
  if (const int n = printer_number(name)) {
    if (const char* chosen = std::getenv(("KDV578_LPT" + std::to_string(n)).c_str())) return chosen;
    const std::string unit = std::to_string(n - 1);
    struct stat st {};
    const std::string usb = "/dev/usb/lp" + unit;
    return ::stat(usb.c_str(), &st) == 0 ? usb : "/dev/lp" + unit;
  }
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool print_report(std::string_view name, std::string_view text) {
  const std::string dest = destination_path(name);
  const bool printer = printer_number(name) != 0;
  const bool spooler = printer && dest.starts_with("|");
  // A spooler that ends early must fail the report, not kill the program.
  const auto old_pipe = std::signal(SIGPIPE, SIG_IGN);
  std::FILE* f = spooler   ? open_spooler(std::string_view(dest).substr(1))
                 : printer ? open_device(dest)
                           : std::fopen(dest.c_str(), "w");
  bool ok = f != nullptr;
  if (f) {
    ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (spooler ? ::pclose(f) == 0 : std::fclose(f) == 0) && ok;
  }
  std::signal(SIGPIPE, old_pipe);
  return ok;
}

}  // namespace kdv::report
