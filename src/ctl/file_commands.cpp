#include "ctl/file_commands.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "ctl/output.h"
#include "ctl/receiver_commands.h"
#include "ctl/paths.h"
#include "files/file_pair.h"
#include "files/record_images.h"
#include "files/text_format.h"
#include "link/command_set.h"
#include "model/screen_files.h"
#include "report/report.h"

namespace kdv::ctl {

namespace fs = std::filesystem;

using kdv::model::Configuration;

namespace {

// At most `most` bytes of the stream, read once from where it stands.
std::string read_at_most(std::istream& in, std::size_t most) {
  std::string text;
  std::array<char, 65536> chunk{};
  while (text.size() < most && in) {
    in.read(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), most - text.size())));
    text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
  }
  return text;
}

}  // namespace

std::string read_document(const std::string& path, std::size_t most) {
  if (path == "-") {
    std::string text = read_at_most(std::cin, most);
    if (std::cin.bad()) throw Failure{Exit::kFile, "kdv578ctl: cannot read standard input"};
    return text;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Failure{Exit::kFile, "kdv578ctl: cannot read " + path + ": " + std::strerror(errno)};
  std::string text = read_at_most(in, most);
  if (in.bad()) throw Failure{Exit::kFile, "kdv578ctl: cannot read " + path};
  return text;
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

Loaded load_with_keys(const std::string& input, bool strict, bool to_send) {
  const Source named = source_of(input);
  if (!named.warning.empty()) message("kdv578ctl: warning: " + named.warning);
  if (!named.document) {
    const std::string& base = named.path;
    for (const auto& [extension, size] : {std::pair{".gdt", kdv::files::kGdtSize}, std::pair{".rxd", kdv::files::kRxdSize}})
      check_pair_file(base + extension, size, strict);
    Loaded pair{{}, base, std::nullopt};
    if (!kdv::files::read_pair(base, pair.config.flags, pair.config.rx))
      throw Failure{Exit::kFile, "kdv578ctl: cannot read the pair " + base + ".gdt and " + base + ".rxd"};
    return pair;
  }
  const kdv::files::ReadOptions options{strict, kdv::link::why_uncarried, to_send,
                                        to_send ? kdv::link::why_rounded : kdv::files::ValueCheck()};
  kdv::files::TextRead read =
      kdv::files::read_text(read_document(input, kdv::files::kDocumentBytesLimit + 1), options);
  const std::string source = input == "-" ? "<stdin>" : input;
  for (const kdv::files::Finding& f : read.findings) message(kdv::files::describe(f, source));
  if (!read.ok()) throw Failure{Exit::kUsage, ""};
  return {read.config, source, std::move(read.given)};
}

Configuration load(const std::string& input, bool strict, bool to_send) {
  return load_with_keys(input, strict, to_send).config;
}

std::string first_keys(const std::vector<std::string>& keys) {
  constexpr std::size_t kNamed = 5;
  std::string out;
  for (std::size_t i = 0; i < std::min(keys.size(), kNamed); ++i) out += (i == 0 ? "" : ", ") + keys[i];
  if (keys.size() > kNamed) out += " and " + std::to_string(keys.size() - kNamed) + " more";
  return out;
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
  const Loaded document = load_with_keys(o.input, o.strict);
  if (const std::vector<std::string> missing = missing_for_download(document); !missing.empty())
    message(document.source + ": warning: the document lacks " + std::to_string(missing.size()) +
            " of the keys a download sends; a freshly started console's values stand in: " + first_keys(missing));
  write_pair(o.output, document.config);
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
