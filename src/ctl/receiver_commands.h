// The commands of kdv578ctl on a receiver: the port list, the console's
// upload, download and signoff sequences, and the comparison of a document
// with what the receiver holds. Each returns its exit code; failures come
// as kdv::ctl::Failure.
#pragma once

#include <string>
#include <vector>

#include "ctl/device.h"

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
};

Exit ports_command(const DeviceOptions& o);
Exit upload_command(const UploadOptions& o);
Exit download_command(const DownloadOptions& o);
// Upload and compare, nothing written to the receiver (DownloadOptions'
// flags are not used).
Exit verify_command(const DownloadOptions& o);
Exit signoff_command(const DeviceOptions& o);

// One setting a download sends, compared as the link carries it.
struct Comparison {
  std::string key;       // dotted
  std::string document;  // as the link carries the document's value
  std::string receiver;  // as the receiver's read returns it
  bool by_switches;      // the receiver's switches set it
};

// The configuration as the receiver's reads would return what was sent
// (the tag's bytes, the serial settings, the input types and drives as the
// reads leave them).
kdv::model::Configuration as_read_back(kdv::model::Configuration c);
// A setting as the link carries it, the text a comparison uses: a number as
// its 10-character field (trimmed), anything else as the document writes it.
std::string carried_text(const kdv::model::SettingKey& key, const kdv::model::Configuration& c, kdv::model::Place p);

// The settings a download of `document` sends that the uploaded record
// holds otherwise, and those the switches set whatever was sent.
std::vector<Comparison> compare(const kdv::model::Configuration& document, const kdv::model::ReceiverRecord& uploaded);

}  // namespace kdv::ctl
