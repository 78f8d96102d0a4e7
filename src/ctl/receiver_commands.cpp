#include "ctl/receiver_commands.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "ctl/file_commands.h"
#include "ctl/output.h"
#include "ctl/paths.h"
#include "files/text_format.h"
#include "link/command_set.h"
#include "link/link.h"
#include "link/outcome.h"
#include "link/serial_port.h"
#include "model/code_page_437.h"
#include "model/printable_text.h"
#include "transfer/download.h"
#include "transfer/upload.h"

namespace kdv::ctl {

using kdv::model::Configuration;
using kdv::model::Place;
using kdv::model::ReceiverRecord;
using kdv::model::SettingKey;

namespace {

// The record fields a download sends, and those of them the receiver's
// switches set while its serial settings or addresses are under hardware
// control.
constexpr std::array<std::string_view, 19> kSent = {
    "TAG_FIELD",  "DATA_FORMAT", "UNITS",        "NO_OF_TX",     "MOD_BAUD",    "MOD_PARITY", "MOD_DBITS",
    "MOD_STOP",   "LINE_REJ",    "MOD_ADDRESSA", "MOD_ADDRESSB", "TXTYPE",      "INPUT_TYPE", "THC_DRIVE",
    "HIGH_ALARM", "LOW_ALARM",   "SCALE_IPZERO", "SCALE_OPZERO", "SCALE_GAIN"};
// The setting the upload reads and an editor sets but no download sends.
constexpr std::string_view kNotDownloaded = "CHECK_MODE";
constexpr std::array<std::string_view, 4> kSerial = {"MOD_BAUD", "MOD_PARITY", "MOD_DBITS", "MOD_STOP"};
constexpr std::array<std::string_view, 2> kAddresses = {"MOD_ADDRESSA", "MOD_ADDRESSB"};

bool among(std::string_view field, std::span<const std::string_view> fields) {
  return std::find(fields.begin(), fields.end(), field) != fields.end();
}

int channels(const kdv::model::TransmitterRecord& t) { return t.TXTYPE == 2 ? 8 : 16; }

// The exchanges of a whole upload or download with the record's counts.
int transfer_exchanges(const ReceiverRecord& r, int receiver_exchanges) {
  int n = receiver_exchanges;
  for (int t = 1; t <= std::clamp<int>(r.NO_OF_TX, 0, 4); ++t) n += 1 + 3 * channels(r.TRANSMITTER[t]);
  return n;
}
constexpr int kUploadReceiverExchanges = 11;
constexpr int kDownloadReceiverExchanges = 7;

// what: how a failure names the upload.
Configuration upload_into(Session& s, const std::string& what) {
  s.show_progress("upload", [&s] { return transfer_exchanges(s.record(), kUploadReceiverExchanges); });
  const kdv::link::Outcome outcome = kdv::transfer::upload_receiver(s.state(), static_cast<std::uint8_t>(s.receiver()));
  s.end_progress();
  if (!outcome.ok()) fail(what, outcome);
  return s.configuration();
}

void sign_off(Session& s) {
  const kdv::link::Outcome outcome = kdv::transfer::sign_off(s.state(), s.receiver());
  if (!outcome.ok()) fail("signoff", outcome);
}

// Whether a comparison fails the command: a difference always; a setting
// no download sends only when nothing was downloaded (after a download it
// is named, not held against it).
bool counts(const Comparison& c, bool downloaded) {
  return c.standing == Standing::kDifferent || (c.standing == Standing::kNotSentByDownload && !downloaded);
}

std::string comparison_line(const Comparison& c) {
  using kdv::model::printable_text;
  if (c.standing == Standing::kNotInDocument)
    return c.key + ": not in the document; the receiver holds " + printable_text(c.receiver);
  const std::string line = c.key + ": " + printable_text(c.document) + " -> " + printable_text(c.receiver);
  if (c.standing == Standing::kSetBySwitches) return line + " (set by the switches)";
  if (c.standing == Standing::kNotSentByDownload) return line + " (not sent by download)";
  return line;
}

// Uploads and reports the comparison: 0 when the receiver holds the
// document, 1 with the differing keys. downloaded: the document was just
// sent, so a failed upload is named as the download's read-back.
Exit verify_against(Session& s, const Loaded& document, bool downloaded) {
  // A read-back that fails leaves the download done: the message says so.
  const Configuration uploaded =
      upload_into(s, downloaded ? "download completed; its --verify read-back failed" : "upload");
  const std::vector<Comparison> found = compare(document, uploaded.rx, downloaded);
  const bool same = std::none_of(found.begin(), found.end(), [&](const Comparison& c) { return counts(c, downloaded); });
  if (s.options().json) {
    // An object per standing, in the order of Standing.
    constexpr std::array<const char*, 4> kClass = {"differences", "set_by_switches", "not_sent_by_download",
                                                   "not_in_document"};
    nlohmann::ordered_json out = {{"same", same}};
    for (const char* name : kClass) out[name] = nlohmann::ordered_json::object();
    for (const Comparison& c : found) {
      nlohmann::ordered_json& entry = out[kClass.at(static_cast<std::size_t>(c.standing))][c.key];
      if (c.standing != Standing::kNotInDocument) entry["document"] = c.document;
      entry["receiver"] = c.receiver;
    }
    write_output("-", out.dump(2) + "\n");
  } else {
    std::string lines;
    for (const Comparison& c : found) lines += comparison_line(c) + "\n";
    write_output("-", lines);
  }
  return same ? Exit::kDone : Exit::kDifferent;
}

// After a download without --verify: a setting no download sends that the
// document gives is read from the receiver and named when the receiver
// holds another value. The download is done, so a failed read only warns.
void mention_not_downloaded(Session& s, const Loaded& document) {
  const auto keys = kdv::model::setting_keys();
  const auto key = std::find_if(keys.begin(), keys.end(), [](const SettingKey& k) { return k.field == kNotDownloaded; });
  if (key == keys.end()) return;
  const std::string dotted = kdv::model::dotted_key(*key, {});
  if (!document.gives(dotted)) return;
  kdv::link::Link link(s.state());
  const kdv::link::Outcome outcome = link.READ_CSUMMODE(s.receiver());
  if (!outcome.ok()) {
    message("kdv578ctl: warning: " + dotted + " is not sent by download and could not be read: " + describe(outcome));
    return;
  }
  const std::string meant = kdv::files::value_text(*key, document.config, {});
  const std::string held = kdv::files::value_text(*key, s.configuration(), {});
  if (meant != held)
    message("kdv578ctl: warning: " + dotted + " = " + meant + " is not sent by download; the receiver holds " + held);
}

}  // namespace

Configuration as_read_back(Configuration c) {
  ReceiverRecord& r = c.rx;
  r.TAG_FIELD = kdv::link::tag_as_read(r.TAG_FIELD.str());
  kdv::link::from_line_bits_digit(kdv::link::line_bits_digit(r.MOD_STOP, r.MOD_PARITY, r.MOD_DBITS), r.MOD_STOP, r.MOD_PARITY,
                        r.MOD_DBITS);
  for (int t = 1; t <= 4; ++t)
    for (int ch = 1; ch <= 16; ++ch) {
      kdv::model::ChannelRecord& d = r.TRANSMITTER[t].CHANNEL[ch];
      d.INPUT_TYPE = static_cast<kdv::model::Byte>(kdv::link::input_type_as_read(r.TRANSMITTER[t].TXTYPE, d.INPUT_TYPE));
      d.THC_DRIVE = static_cast<kdv::model::Byte>(kdv::link::drive_as_read(d.THC_DRIVE));
    }
  return c;
}

std::string carried_text(const SettingKey& key, const Configuration& c, Place p) {
  if (key.form != kdv::model::Form::kReal) return kdv::files::value_text(key, c, p);
  std::string field = kdv::link::number_field_text(std::get<double>(key.get(c, p))).substr(0, 10);
  field.erase(0, field.find_first_not_of(' '));
  return field;
}

std::vector<Comparison> compare(const Loaded& document, const ReceiverRecord& uploaded, bool downloaded) {
  const Configuration sent = as_read_back(document.config);
  Configuration held = sent;
  held.rx = uploaded;
  std::vector<Comparison> out;
  kdv::model::for_each_setting([&](const SettingKey& key, Place p) {
    const bool sends = among(key.field, kSent);
    if ((!sends && key.field != kNotDownloaded) || !kdv::model::in_use(sent.rx, p)) return;
    const std::string dotted = kdv::model::dotted_key(key, p);
    const std::string b = carried_text(key, held, p);
    if (!document.gives(dotted) && !(sends && downloaded)) {
      if (sends) out.push_back({dotted, "", b, Standing::kNotInDocument});
      return;
    }
    const std::string a = carried_text(key, sent, p);
    if (a == b) return;
    Standing standing = Standing::kDifferent;
    if (!sends)
      standing = Standing::kNotSentByDownload;
    else if ((among(key.field, kSerial) && !uploaded.COMM_MODE) || (among(key.field, kAddresses) && !uploaded.ADD_MODE))
      standing = Standing::kSetBySwitches;
    out.push_back({dotted, a, b, standing});
  });
  return out;
}

std::vector<std::string> missing_for_download(const Loaded& document) {
  std::vector<std::string> out;
  kdv::model::for_each_setting([&](const SettingKey& key, Place p) {
    const std::string dotted = kdv::model::dotted_key(key, p);
    if (among(key.field, kSent) && kdv::model::in_use(document.config.rx, p) && !document.gives(dotted))
      out.push_back(dotted);
  });
  return out;
}

Exit ports_command(const DeviceOptions& o) {
  std::vector<std::string> names;
  const std::string list = kdv::link::serial_port_names();
  for (std::size_t from = 0; from < list.size();) {
    const std::size_t comma = std::min(list.find(',', from), list.size());
    if (comma > from) names.push_back(list.substr(from, comma - from));
    from = comma + 1;
  }
  std::string text;
  if (o.json) {
    text = nlohmann::json(names).dump() + "\n";
  } else {
    for (const std::string& n : names) text += kdv::model::printable_text(n) + "\n";
  }
  write_output("-", text);
  return Exit::kDone;
}

Exit upload_command(const UploadOptions& o) {
  refuse_overlaps({}, device_outputs(o.device, false,
                                     writes_document(o.output) ? document_file("-o", o.output) : pair_files("-o", o.output)));
  Session s(o.device);
  // Nothing is written unless the whole upload succeeded.
  save(o.output, upload_into(s, "upload"));
  return Exit::kDone;
}

Exit download_command(const DownloadOptions& o) {
  refuse_overlaps(input_files(o.input), device_outputs(o.device, true));
  const Loaded document = load_with_keys(o.input, o.strict, true);
  if (const std::vector<std::string> missing = missing_for_download(document); !missing.empty() && !o.fill_defaults)
    throw Failure{Exit::kUsage, document.source + ": error: the document lacks " + std::to_string(missing.size()) +
                                    " of the keys a download sends: " + first_keys(missing) +
                                    "; --fill-defaults sends a freshly started console's values for them"};
  Session s(o.device);
  s.adopt(document.config);
  s.show_progress("download", [&s] { return transfer_exchanges(s.record(), kDownloadReceiverExchanges); });
  const kdv::link::Outcome outcome =
      kdv::transfer::download_receiver(s.state(), static_cast<std::uint8_t>(s.receiver()), kdv::transfer::kConfiguredTransmitters);
  s.end_progress();
  if (!outcome.ok()) fail("download", outcome);
  if (o.verify) {
    const Exit verdict = verify_against(s, document, true);
    if (verdict != Exit::kDone) return verdict;
  } else {
    mention_not_downloaded(s, document);
  }
  if (o.signoff) sign_off(s);
  return Exit::kDone;
}

Exit verify_command(const DownloadOptions& o) {
  refuse_overlaps(input_files(o.input), device_outputs(o.device, false));
  const Loaded document = load_with_keys(o.input, o.strict, true);
  Session s(o.device);
  return verify_against(s, document, false);
}

Exit signoff_command(const DeviceOptions& o) {
  refuse_overlaps({}, device_outputs(o, true));
  Session s(o);
  sign_off(s);
  return Exit::kDone;
}

}  // namespace kdv::ctl
