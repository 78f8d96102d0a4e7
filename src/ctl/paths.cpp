#include "ctl/paths.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ctl/output.h"
#include "link/audit.h"

namespace kdv::ctl {

namespace fs = std::filesystem;

namespace {

bool ends_with_pair_extension(std::string_view path) { return path.ends_with(".gdt") || path.ends_with(".rxd"); }

// The path as the file system finds it: links and ".." resolved as far as
// the path exists.
fs::path resolved(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec).lexically_normal();
  const fs::path found = fs::weakly_canonical(absolute, ec);
  return ec ? absolute : found;
}

// The same file: the same device and inode, or, while neither exists, the
// same path.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool a_exists = fs::exists(a, ec);
  const bool b_exists = fs::exists(b, ec);
  if (a_exists && b_exists) return fs::equivalent(a, b, ec);
  return !a_exists && !b_exists && resolved(a) == resolved(b);
}

// Text has no control byte but tab and line ends; a record's zeros and
// flags always give one.
bool looks_like_text(std::string_view bytes) {
  return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r';
  });
}

std::string first_bytes(const std::string& file, std::size_t count) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(count, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

}  // namespace

Source source_of(const std::string& argument) {
  if (argument == "-" || argument.ends_with(".toml")) return {true, argument, ""};
  if (ends_with_pair_extension(argument)) return {false, pair_base(argument), ""};
  std::error_code ec;
  const fs::file_status status = fs::status(argument, ec);
  if (!fs::exists(status) || fs::is_directory(status)) return {false, argument, ""};
  std::string warning;
  if (fs::exists(argument + ".gdt", ec))
    warning = argument + " is read as a document, not the pair " + argument + ".gdt/.rxd (name " + argument +
              ".gdt for the pair)";
  return {true, argument, warning};
}

std::string pair_base(const std::string& path) {
  return ends_with_pair_extension(path) ? path.substr(0, path.size() - 4) : path;
}

Files input_files(const std::string& argument) {
  const Source source = source_of(argument);
  if (!source.document) return pair_files("the input", source.path);
  return document_file("the input", source.path);
}

Files document_file(const std::string& role, const std::string& path) {
  if (path == "-") return {};
  return {{role, path}};
}

Files pair_files(const std::string& role, const std::string& path) {
  const std::string base = pair_base(path);
  return {{role, base + ".gdt"}, {role, base + ".rxd"}};
}

bool writes_document(const std::string& output) { return output == "-" || output.ends_with(".toml"); }

Files device_outputs(const DeviceOptions& options, bool journalled, Files others) {
  Files out = std::move(others);
  if (!options.trace.empty()) out.push_back({"--trace", options.trace});
  if (journalled)
    if (const std::optional<std::string> journal = kdv::link::audit_path()) out.push_back({"the journal", *journal});
  return out;
}

void refuse_overlaps(const Files& inputs, const Files& outputs) {
  for (auto out = outputs.begin(); out != outputs.end(); ++out) {
    auto clash = [&](const NamedFile& other) { return same_file(out->path, other.path); };
    const auto input = std::find_if(inputs.begin(), inputs.end(), clash);
    const auto earlier = std::find_if(outputs.begin(), out, clash);
    const NamedFile* other = input != inputs.end() ? &*input : earlier != out ? &*earlier : nullptr;
    if (other)
      throw Failure{Exit::kUsage, "kdv578ctl: " + out->role + " " + out->path + " is the same file as " +
                                      other->role + " " + other->path + "; nothing was read or written"};
  }
}

void check_pair_file(const std::string& file, std::size_t record_size, bool strict) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (!fs::exists(status)) throw Failure{Exit::kFile, "kdv578ctl: cannot read the pair " + file + ": no such file"};
  if (!fs::is_regular_file(status))
    throw Failure{Exit::kFile, "kdv578ctl: cannot read the pair " + file + ": not a regular file"};
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) throw Failure{Exit::kFile, "kdv578ctl: cannot read the pair " + file + ": " + ec.message()};
  if (size == record_size) return;
  const std::string sizes = std::to_string(size) + " bytes, expected " + std::to_string(record_size);
  const std::string refusal = "kdv578ctl: " + file + ": not a configuration pair: " + sizes;
  if (size < record_size) throw Failure{Exit::kFile, refusal};
  if (looks_like_text(first_bytes(file, record_size))) throw Failure{Exit::kFile, refusal + "; it holds text"};
  if (strict) throw Failure{Exit::kFile, refusal + " (--strict)"};
  message("kdv578ctl: warning: " + file + ": " + sizes + "; its first record is read");
}

}  // namespace kdv::ctl
