// The commands of kdv578ctl on configuration files: each takes its parsed
// options and returns the exit code; failures come as kdv::ctl::Failure.
#pragma once

#include <string>

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

// The whole file, or standard input for "-". Failure: exit code 3.
std::string read_document(const std::string& path);

// A configuration from a pair or a document, as source_of names it. A
// document's messages go to standard error; its errors end the command (exit
// code 2), and so do values the link cannot carry when the configuration is
// `to_send`. A pair's files are checked first (check_pair_file).
kdv::model::Configuration load(const std::string& input, bool strict, bool to_send = false);
// Writes a configuration whole: a document to "-" or a ".toml" file, a pair
// otherwise. Failure: exit code 3.
void save(const std::string& output, const kdv::model::Configuration& c);

Exit export_command(const ExportOptions& o);
Exit import_command(const ImportOptions& o);
Exit diff_command(const DiffOptions& o);
Exit show_command(const ShowOptions& o);
Exit report_command(const ReportOptions& o);

}  // namespace kdv::ctl
