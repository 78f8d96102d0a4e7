#include "ctl/receiver_commands.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include "ctl/commands.h"
#include "ctl/output.h"
#include "ctl/paths.h"
#include "files/text_format.h"
#include "model/cp437.h"
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

// The document as the receiver's reads would return what a download sends.
Configuration as_read(Configuration c) {
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

// A value as the link carries it: a number as its 10-character field
// (trimmed), anything else as the document writes it.
std::string carried(const SettingKey& key, const Configuration& c, Place p) {
  if (key.form != kdv::model::Form::kReal) return kdv::files::value_text(key, c, p);
  std::string field = kdv::link::number_field_text(std::get<double>(key.get(c, p))).substr(0, 10);
  field.erase(0, field.find_first_not_of(' '));
  return field;
}

Configuration upload_into(Session& s) {
  s.show_progress("upload", [&s] { return transfer_exchanges(s.record(), kUploadReceiverExchanges); });
  const kdv::link::Outcome outcome = kdv::transfer::upload_receiver(s.state(), static_cast<std::uint8_t>(s.receiver()));
  s.end_progress();
  if (!outcome.ok()) fail("upload", outcome);
  return s.configuration();
}

void sign_off(Session& s) {
  const kdv::link::Outcome outcome = kdv::transfer::sign_off(s.state(), s.receiver());
  if (!outcome.ok()) fail("signoff", outcome);
}

// Uploads and reports the comparison: 0 when the receiver holds the
// document, 1 with the differing keys.
Exit verify_against(Session& s, const Configuration& document) {
  const Configuration uploaded = upload_into(s);
  const std::vector<Comparison> found = compare(document, uploaded.rx);
  const bool same = std::none_of(found.begin(), found.end(), [](const Comparison& c) { return !c.by_switches; });
  if (s.options().json) {
    nlohmann::ordered_json out = {{"same", same},
                                  {"differences", nlohmann::ordered_json::object()},
                                  {"set_by_switches", nlohmann::ordered_json::object()}};
    for (const Comparison& c : found)
      out[c.by_switches ? "set_by_switches" : "differences"][c.key] = {{"document", c.document},
                                                                       {"receiver", c.receiver}};
    write_output("-", out.dump(2) + "\n");
  } else {
    std::string lines;
    for (const Comparison& c : found)
      lines += c.key + ": " + kdv::model::printable_text(c.document) + " -> " + kdv::model::printable_text(c.receiver) +
               (c.by_switches ? " (set by the switches)" : "") + "\n";
    write_output("-", lines);
  }
  return same ? Exit::kDone : Exit::kDifferent;
}

}  // namespace

std::vector<Comparison> compare(const Configuration& document, const ReceiverRecord& uploaded) {
  const Configuration sent = as_read(document);
  Configuration held = sent;
  held.rx = uploaded;
  std::vector<Comparison> out;
  kdv::model::for_each_setting([&](const SettingKey& key, Place p) {
    if (!among(key.field, kSent) || !kdv::model::in_use(sent.rx, p)) return;
    const std::string a = carried(key, sent, p);
    const std::string b = carried(key, held, p);
    if (a == b) return;
    const bool by_switches =
        (among(key.field, kSerial) && !uploaded.COMM_MODE) || (among(key.field, kAddresses) && !uploaded.ADD_MODE);
    out.push_back({kdv::model::dotted_key(key, p), a, b, by_switches});
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
  save(o.output, upload_into(s));
  return Exit::kDone;
}

Exit download_command(const DownloadOptions& o) {
  refuse_overlaps(input_files(o.input), device_outputs(o.device, true));
  const Configuration document = load(o.input, false, true);
  Session s(o.device);
  s.adopt(document);
  s.show_progress("download", [&s] { return transfer_exchanges(s.record(), kDownloadReceiverExchanges); });
  const kdv::link::Outcome outcome =
      kdv::transfer::download_receiver(s.state(), static_cast<std::uint8_t>(s.receiver()), kdv::transfer::kConfiguredTransmitters);
  s.end_progress();
  if (!outcome.ok()) fail("download", outcome);
  if (o.verify) {
    const Exit verdict = verify_against(s, document);
    if (verdict != Exit::kDone) return verdict;
  }
  if (o.signoff) sign_off(s);
  return Exit::kDone;
}

Exit verify_command(const DownloadOptions& o) {
  refuse_overlaps(input_files(o.input), device_outputs(o.device, false));
  const Configuration document = load(o.input, false, true);
  Session s(o.device);
  return verify_against(s, document);
}

Exit signoff_command(const DeviceOptions& o) {
  refuse_overlaps({}, device_outputs(o, true));
  Session s(o);
  sign_off(s);
  return Exit::kDone;
}

}  // namespace kdv::ctl
