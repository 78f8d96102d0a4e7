// The commands of kdv578ctl on a receiver: the port list, the console's
// upload, download and signoff sequences, and the comparison of a document
// with what the receiver holds. Each returns its exit code; failures come
// as kdv::ctl::Failure.
#pragma once

#include <string>
#include <vector>

#include "ctl/file_commands.h"
#include "ctl/receiver_session.h"

namespace kdv::ctl {

struct UploadOptions {
  DeviceOptions device;
  std::string output = "-";  // a pair, a ".toml" file, or standard output
};
struct DownloadOptions {
  DeviceOptions device;
  std::string input;
  bool verify = false;
  bool signoff = false;
  bool strict = false;
  bool fill_defaults = false;  // keys the document lacks take a fresh console's values
};

Exit ports_command(const DeviceOptions& o);
Exit upload_command(const UploadOptions& o);
Exit download_command(const DownloadOptions& o);
// Upload and compare, nothing written to the receiver (DownloadOptions'
// flags are not used).
Exit verify_command(const DownloadOptions& o);
Exit signoff_command(const DeviceOptions& o);

// How a setting the receiver holds otherwise than the document stands.
enum class Standing : std::uint8_t {
  kDifferent,           // a download sends it and the receiver holds another value
  kSetBySwitches,       // the receiver's switches set it, whatever was sent
  kNotSentByDownload,   // the upload reads it but no download sends it
  kNotInDocument,       // a download would send it but the document does not give it
};

// One setting compared as the link carries it.
struct Comparison {
  std::string key;       // dotted
  std::string document;  // as the link carries the document's value; empty when it gives none
  std::string receiver;  // as the receiver's read returns it
  Standing standing;
};

// The configuration as the receiver's reads would return what was sent
// (the tag's bytes, the serial settings, the input types and drives as the
// reads leave them).
kdv::model::Configuration as_read_back(kdv::model::Configuration c);
// A setting as the link carries it, the text a comparison uses: a number as
// its 10-character field (trimmed), anything else as the document writes it.
std::string carried_text(const kdv::model::SettingKey& key, const kdv::model::Configuration& c, kdv::model::Place p);

// The settings of `document` that the uploaded record holds otherwise, the
// keys a download would send that the document does not give, and the
// settings no download sends that it gives. `downloaded`: the document was
// just sent, so the values that stood in for its missing keys count too.
std::vector<Comparison> compare(const Loaded& document, const kdv::model::ReceiverRecord& uploaded, bool downloaded);

// The keys a download of the document sends (for its transmitter count and
// types) that it does not give, in document order; none for a pair.
std::vector<std::string> missing_for_download(const Loaded& document);

}  // namespace kdv::ctl
