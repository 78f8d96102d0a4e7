// The commands of kdv578ctl on configuration files: each takes its parsed
// options and returns the exit code; failures come as kdv::ctl::Failure.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ctl/exit_codes.h"
#include "model/setting_keys.h"

namespace kdv::ctl {

struct ExportOptions {
  std::string input;
  std::string output = "-";
  bool strict = false;
};
struct ImportOptions {
  std::string input;
  std::string output;
  bool strict = false;
};
struct DiffOptions {
  std::string a;
  std::string b;
  bool all = false;
  bool json = false;
  bool strict = false;
};
struct ShowOptions {
  std::string input;
  bool strict = false;
};
struct ReportOptions {
  std::string input;
  std::string output = "-";
  bool strict = false;
};

// The whole file, or standard input for "-", read once; no more than `most`
// bytes of it (a caller that refuses longer input asks for one byte over its
// limit). Failure: exit code 3.
std::string read_document(const std::string& path, std::size_t most = std::string::npos);

// A configuration from a pair or a document, as source_of names it. A
// document's messages go to standard error; its errors end the command (exit
// code 2), and so do values the link cannot carry when the configuration is
// `to_send` (values it carries rounded are warnings then). A pair's files
// are checked first (check_pair_file).
kdv::model::Configuration load(const std::string& input, bool strict, bool to_send = false);

// A configuration as loaded, with the keys its source gives.
struct Loaded {
  kdv::model::Configuration config;
  std::string source;  // the name messages give it: the path, or <stdin>
  // The dotted keys a document gives; none for a pair, which holds them all.
  std::optional<std::set<std::string>> given;
  bool gives(const std::string& dotted) const { return !given || given->contains(dotted); }
};
Loaded load_with_keys(const std::string& input, bool strict, bool to_send = false);

// "a, b, c, d, e and 7 more": the first few of a list of keys.
std::string first_keys(const std::vector<std::string>& keys);

// Writes a configuration whole: a document to "-" or a ".toml" file, a pair
// otherwise. Failure: exit code 3.
void save(const std::string& output, const kdv::model::Configuration& c);

Exit export_command(const ExportOptions& o);
Exit import_command(const ImportOptions& o);
Exit diff_command(const DiffOptions& o);
Exit show_command(const ShowOptions& o);
Exit report_command(const ReportOptions& o);

}  // namespace kdv::ctl
