// What kdv578ctl's path arguments name, and the files a command reads and
// writes: a document or a pair, checked before anything is read or written
// so that no output replaces an input or another output.
#pragma once

#include <string>
#include <vector>

#include "ctl/receiver_session.h"

namespace kdv::ctl {

// What an input argument names.
struct Source {
  bool document;       // a document, else a pair
  std::string path;    // the document ("-": standard input) or the pair's base
  std::string warning;  // why the choice may surprise, or empty
};
// In order: "-" or a name ending in ".toml" is a document; a name ending in
// ".gdt" or ".rxd" a pair; an existing file that is not a directory a
// document (with a warning when NAME.gdt exists too); anything else the base
// of a pair.
Source source_of(const std::string& argument);

// A pair's base: the path without its ".gdt" or ".rxd", never shortened.
std::string pair_base(const std::string& path);

// A file a command reads or writes, with the words that name it to the user.
struct NamedFile {
  std::string role;  // "the input", "-o", "--trace", "the journal"
  std::string path;
};
using Files = std::vector<NamedFile>;

// The files an input argument reads (none for standard input).
Files input_files(const std::string& argument);
// The file an output writes (none for standard output).
Files document_file(const std::string& role, const std::string& path);
// Both files of the pair an output writes.
Files pair_files(const std::string& role, const std::string& path);
// Whether an output of a configuration is a document (standard output or a
// ".toml" file) rather than a pair.
bool writes_document(const std::string& output);
// A command on a receiver's other outputs, then its frame trace and, where it
// sends changes, the audit journal.
Files device_outputs(const DeviceOptions& options, bool journalled, Files others = {});

// Failure with exit code 2 when an output is the same file as an input or an
// earlier output: the same device and inode, or, not yet created, the same
// path.
void refuse_overlaps(const Files& inputs, const Files& outputs);

// A pair file that is not one ends the command with exit code 3: missing,
// not a regular file, shorter than its record. A longer one is read for its
// first record with a warning, and refused under `strict` or when that
// record looks like text.
void check_pair_file(const std::string& file, std::size_t record_size, bool strict);

}  // namespace kdv::ctl
