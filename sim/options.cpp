#include "options.h"

#include <charconv>
#include <functional>
#include <string_view>

#include "files/file_pair.h"

namespace kdv::sim {

namespace {

bool number(std::string_view text, int base, int lo, int hi, int& out) {
  int v = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), v, base);
  if (res.ec != std::errc() || res.ptr != text.data() + text.size() || v < lo || v > hi)
    return false;
  out = v;
  return true;
}

bool transmitter_list(std::string_view text, std::vector<int>& types) {
  types.clear();
  while (!text.empty() && types.size() < 4) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    if (item == "571") types.push_back(1);
    else if (item == "572") types.push_back(2);
    else return false;
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
  return false;
}

struct Option {
  const char* name;
  const char* value;  // nullptr: a switch without a value
  const char* help;
  std::function<bool(Options&, std::string_view)> set;
};

const std::vector<Option>& table() {
  static const std::vector<Option> kOptions = {
      {"--paced", nullptr, "send replies at 9600 baud (10 bits a byte)",
       [](Options& o, std::string_view) { return o.paced = true; }},
      {"--receiver", "N", "answer as receiver number N (0..15, default 0)",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 15, o.address); }},
      {"--transmitters", "LIST", "transmitter types, e.g. 571,572 (1 to 4 of them)",
       [](Options& o, std::string_view v) { return transmitter_list(v, o.transmitters); }},
      {"--rxd", "FILE", "start from a configuration saved by the program (.rxd)",
       [](Options& o, std::string_view v) {
         o.start.emplace();
         return kdv::files::read_rxd_file(std::string(v), *o.start);
       }},
      {"--ip-switch", "HEX", "IP switch bank SW101, lever 1 = bit 0 (e.g. 40)",
       [](Options& o, std::string_view v) { return number(v, 16, 0, 255, o.ip_switch); }},
      {"--hca-switch", "HEX", "HCA switch bank SW301 (0F: serial settings by software)",
       [](Options& o, std::string_view v) { return number(v, 16, 0, 255, o.hca_switch); }},
      {"--write-disabled", nullptr, "set IP switch lever 7: every write is refused (code 7)",
       [](Options& o, std::string_view) { return o.write_disabled = true; }},
      {"--no-reply", nullptr, "never answer",
       [](Options& o, std::string_view) { return o.faults.no_reply = true; }},
      {"--short-reply", nullptr, "answer with one data byte only (ETX at index 6)",
       [](Options& o, std::string_view) { return o.faults.short_reply = true; }},
      {"--wrong-frame", "INDEX", "make reply byte 3 (the letter b) or 4 (receiver) wrong",
       [](Options& o, std::string_view v) { return number(v, 10, 3, 4, o.faults.wrong_frame); }},
      {"--noise", "N", "send N junk bytes before each reply (4 or more: no STX in time)",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 600, o.faults.noise); }},
      {"--refuse", "CODE", "refuse every request with error CODE (0..9)",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 9, o.faults.refuse); }},
      {"--delay", "MS", "hold every reply back MS milliseconds (a slow receiver)",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 60'000, o.faults.delay_ms); }},
      {"--pause", "MS:K", "pause MS milliseconds before reply byte K (0: the STX), e.g. 1100:8",
       [](Options& o, std::string_view v) {
         const std::size_t colon = v.find(':');
         int k = 0;
         const bool ok = colon != std::string_view::npos && number(v.substr(colon + 1), 10, 0, 600, k);
         o.faults.pause_before = static_cast<std::size_t>(k);
         return ok && number(v.substr(0, colon), 10, 0, 60'000, o.faults.pause_ms);
       }},
      {"--stop-after", "K", "end every reply after K bytes, without its ETX",
       [](Options& o, std::string_view v) {
         int k = 0;
         const bool ok = number(v, 10, 0, 600, k);
         o.faults.stop_after = static_cast<std::size_t>(k);
         return ok;
       }},
      {"--trickle", "MS", "send each reply byte MS milliseconds after the one before",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 60'000, o.faults.trickle_ms); }},
      {"--tx-failed", nullptr, "report a failed transmitter (status 2, bit 1)",
       [](Options& o, std::string_view) { return o.faults.tx_failed = true; }},
      {"--hht", nullptr, "report an active hand-held configurator (status 2, bit 2)",
       [](Options& o, std::string_view) { return o.faults.hht = true; }},
      {"--bad-numbers", nullptr, "send values and numbers that cannot be read",
       [](Options& o, std::string_view) { return o.faults.bad_numbers = true; }},
      {"--stale-write-reply", nullptr, "answer the first write with the previous reply, once, and not make it",
       [](Options& o, std::string_view) { return o.faults.stale_write_reply = true; }},
      {"--only-command", "CODE", "apply the faults to command CODE only (e.g. 17 for the tag)",
       [](Options& o, std::string_view v) { return number(v, 10, 0, 255, o.faults.only_command); }},
      {"--fault-after", "N", "apply the faults from request N + 1 on (default 0)",
       [](Options& o, std::string_view v) {
         int n = 0;
         const bool ok = number(v, 10, 0, 1'000'000, n);
         o.faults.after = static_cast<std::size_t>(n);
         return ok;
       }},
      {"--trace", "FILE", "write every request and reply to FILE as a frame trace",
       [](Options& o, std::string_view v) {
         o.trace = v;
         return !v.empty();
       }},
      {"--keep-old", "CODE[:PARAMS]",
       "acknowledge writes of command CODE (whose parameters begin with PARAMS, e.g. 8:13 for the alarms "
       "of transmitter 1, channel 3) but keep the old values",
       [](Options& o, std::string_view v) {
         const std::size_t colon = v.find(':');
         if (colon != std::string_view::npos) o.faults.keep_old_at = std::string(v.substr(colon + 1));
         return number(v.substr(0, colon), 10, 0, 255, o.faults.keep_old);
       }},
      {"--verbose", nullptr, "log every request and reply on standard error",
       [](Options& o, std::string_view) { return o.verbose = true; }},
      {"--help", nullptr, "show this help",
       [](Options& o, std::string_view) { return o.help = true; }},
      {"--version", nullptr, "show the version",
       [](Options& o, std::string_view) { return o.version = true; }},
  };
  return kOptions;
}

}  // namespace

bool parse_options(const std::vector<std::string>& args, Options& options, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    if (name == "-h") name = "--help";
    if (name == "-v") name = "--verbose";
    std::string value;
    bool has_value = false;
    if (const std::size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
      has_value = true;
    }
    const Option* option = nullptr;
    for (const Option& o : table())
      if (name == o.name) option = &o;
    if (!option) {
      error = "unknown option: " + args[i];
      return false;
    }
    if (option->value && !has_value) {
      if (i + 1 == args.size()) {
        error = name + " needs a value (" + option->value + ")";
        return false;
      }
      value = args[++i];
    } else if (!option->value && has_value) {
      error = name + " takes no value";
      return false;
    }
    if (!option->set(options, value)) {
      error = "bad value for " + name + ": " + value;
      return false;
    }
  }
  return true;
}

std::string usage() {
  std::string text =
      "Usage: kdv578-sim [options]\n"
      "Simulates a receiver on a pseudo-terminal; the first line printed is the\n"
      "path of the terminal to connect to (e.g. KDV578_PORTS=/dev/pts/5).\n\n";
  for (const Option& o : table()) {
    std::string head = std::string("  ") + o.name + (o.value ? std::string(" ") + o.value : "");
    head.resize(std::max<std::size_t>(head.size() + 1, 24), ' ');
    text += head + o.help + "\n";
  }
  return text;
}

std::optional<std::string> answer_instead_of_running(const Options& o) {
  if (o.help) return usage();
  if (o.version) return std::string("kdv578-sim " KDV578_VERSION "\n");
  return std::nullopt;
}

void apply(const Options& o, Receiver& rx) {
  rx.faults = o.faults;
  rx.address = o.address;
  if (o.start) rx.load(*o.start);
  kdv::model::ReceiverRecord& state = rx.state();
  if (o.ip_switch >= 0) state.IPSWITCH = static_cast<kdv::model::Byte>(o.ip_switch);
  if (o.hca_switch >= 0) state.HCASWITCH = static_cast<kdv::model::Byte>(o.hca_switch);
  if (o.write_disabled) state.IPSWITCH |= 0x40;
  if (!o.transmitters.empty()) {
    state.NO_OF_TX = static_cast<kdv::model::Byte>(o.transmitters.size());
    for (std::size_t t = 0; t < o.transmitters.size(); ++t)
      kdv::model::init_transmitter(state, static_cast<int>(t) + 1, static_cast<kdv::model::Byte>(o.transmitters[t]));
  }
  state.CHECKSUM = rx.checksum();
}

}  // namespace kdv::sim
