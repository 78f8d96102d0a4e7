#include "ctl/commands.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ctl/output.h"
#include "ctl/paths.h"
#include "files/disk.h"
#include "files/text_format.h"
#include "link/comms.h"
#include "model/screen_files.h"
#include "report/hardc.h"

namespace kdv::ctl {

namespace fs = std::filesystem;

using kdv::model::Configuration;

std::string read_document(const std::string& path) {
  std::ostringstream text;
  if (path == "-") {
    text << std::cin.rdbuf();
    if (std::cin.bad()) throw Failure{Exit::kFile, "kdv578ctl: cannot read standard input"};
    return text.str();
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure{Exit::kFile, "kdv578ctl: cannot read " + path + ": " + std::strerror(errno)};
  text << in.rdbuf();
  if (in.bad()) throw Failure{Exit::kFile, "kdv578ctl: cannot read " + path};
  return text.str();
}

namespace {

// The report's date: SOURCE_DATE_EPOCH (seconds, UTC) when set, else today.
kdv::report::Date report_date() {
  std::time_t when = std::time(nullptr);
  std::tm t{};
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    const std::string_view s(epoch);
    long long seconds = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), seconds);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || seconds < 0)
      throw Failure{Exit::kUsage, "kdv578ctl: SOURCE_DATE_EPOCH is not a number of seconds: " + std::string(s)};
    when = static_cast<std::time_t>(seconds);
    ::gmtime_r(&when, &t);
  } else {
    ::localtime_r(&when, &t);
  }
  return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

// The message texts from mess578.scn: in the working directory, else in
// ../share/kdv578 beside the program.
kdv::model::MESSAGES load_messages() {
  std::vector<fs::path> places = {"mess578.scn"};
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) places.push_back(self.parent_path() / ".." / "share" / "kdv578" / "mess578.scn");
  for (const fs::path& p : places) {
    kdv::model::ScreenFile file(p);
    if (!file.is_open()) continue;
    std::istream in(&file);
    kdv::model::MESSAGES messages{};
    kdv::model::read_messages(in, messages);
    return messages;
  }
  throw Failure{Exit::kFile, "kdv578ctl: screen definition file mess578.scn found neither in the working directory "
                             "nor in " + (places.size() > 1 ? places[1].parent_path().lexically_normal().string()
                                                            : std::string("../share/kdv578"))};
}

}  // namespace

Configuration load(const std::string& input, bool strict, bool to_send) {
  const Source named = source_of(input);
  if (!named.warning.empty()) message("kdv578ctl: warning: " + named.warning);
  if (!named.document) {
    const std::string& base = named.path;
    for (const auto& [extension, size] : {std::pair{".gdt", kdv::files::kGdtSize}, std::pair{".rxd", kdv::files::kRxdSize}})
      check_pair_file(base + extension, size, strict);
    Configuration c;
    if (!kdv::files::read_pair(base, c.flags, c.rx))
      throw Failure{Exit::kFile, "kdv578ctl: cannot read the pair " + base + ".gdt and " + base + ".rxd"};
    return c;
  }
  const kdv::files::TextRead read = kdv::files::read_text(read_document(input), {strict, kdv::link::why_uncarried, to_send});
  const std::string source = input == "-" ? "<stdin>" : input;
  for (const kdv::files::Finding& f : read.findings) message(kdv::files::describe(f, source));
  if (!read.ok()) throw Failure{Exit::kUsage, ""};
  return read.config;
}

namespace {

void write_document(const std::string& output, const Configuration& c) {
  std::vector<kdv::files::Finding> notes;
  const std::string text = kdv::files::write_text(c, &notes);
  for (const kdv::files::Finding& f : notes) message(kdv::files::describe(f, output == "-" ? "<stdout>" : output));
  write_output(output, text);
}

void write_pair(const std::string& output, const Configuration& c) {
  const std::string base = pair_base(output);
  if (!kdv::files::write_pair(base, c.flags, c.rx))
    throw Failure{Exit::kFile, "kdv578ctl: cannot write the pair " + base + ".gdt and " + base + ".rxd"};
}

}  // namespace

void save(const std::string& output, const Configuration& c) {
  if (writes_document(output))
    write_document(output, c);
  else
    write_pair(output, c);
}

Exit export_command(const ExportOptions& o) {
  if (o.output.ends_with(".gdt") || o.output.ends_with(".rxd"))
    throw Failure{Exit::kUsage, "kdv578ctl: export writes a document; -o " + o.output +
                                    " names a pair file (import writes pairs)"};
  refuse_overlaps(input_files(o.input), document_file("-o", o.output));
  write_document(o.output, load(o.input, o.strict));
  return Exit::kDone;
}

Exit import_command(const ImportOptions& o) {
  if (o.output == "-") throw Failure{Exit::kUsage, "kdv578ctl: import writes a pair; -o names it, not \"-\""};
  refuse_overlaps(input_files(o.input), pair_files("-o", o.output));
  write_pair(o.output, load(o.input, o.strict));
  return Exit::kDone;
}

Exit diff_command(const DiffOptions& o) {
  const Configuration a = load(o.a, o.strict);
  const Configuration b = load(o.b, o.strict);
  const std::vector<Difference> d = differences(a, b, o.all);
  write_output("-", o.json ? difference_json(d, a, b) : difference_lines(d, a, b));
  return d.empty() ? Exit::kDone : Exit::kDifferent;
}

Exit show_command(const ShowOptions& o) {
  write_output("-", show_text(load(o.input, o.strict)));
  return Exit::kDone;
}

Exit report_command(const ReportOptions& o) {
  refuse_overlaps(input_files(o.input), document_file("-o", o.output));
  const Configuration c = load(o.input, o.strict);
  const kdv::report::Date date = report_date();
  write_output(o.output, kdv::report::report_text(load_messages(), c.rx, date));
  return Exit::kDone;
}

}  // namespace kdv::ctl
