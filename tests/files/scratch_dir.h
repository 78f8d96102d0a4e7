// A fresh empty directory made the working directory for one test, removed
// with everything in it afterwards; over any fixture as its base (by
// default a fresh data model).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/fresh_model.h"

template <class Base = FreshModel>
class ScratchDirOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    old = std::filesystem::current_path();
    std::string tmpl = (std::filesystem::temp_directory_path() / "kdv578-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(old);
    std::error_code ec;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir, ec);
    Base::TearDown();
  }

  static std::vector<std::uint8_t> bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // Names of the entries of the working directory, sorted.
  static std::vector<std::string> entries() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(".")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path old;
  std::filesystem::path dir;
};

using ScratchDir = ScratchDirOn<>;

// Makes the working directory read-only while it lives. Permissions do not
// bind root, so under root (CI) the test's writes run as the unprivileged
// user nobody until the object goes.
class ReadOnlyWorkingDir {
 public:
  ReadOnlyWorkingDir() {
    ::chmod(".", 0555);
    if (::geteuid() == 0) dropped_ = ::seteuid(65534) == 0;
  }
  ~ReadOnlyWorkingDir() {
    if (dropped_ && ::seteuid(0) != 0) std::abort();
    ::chmod(".", 0755);
  }
  ReadOnlyWorkingDir(const ReadOnlyWorkingDir&) = delete;
  ReadOnlyWorkingDir& operator=(const ReadOnlyWorkingDir&) = delete;
  // True when writing into the directory is really refused now.
  bool binds() const { return ::faccessat(AT_FDCWD, ".", W_OK, AT_EACCESS) != 0; }

 private:
  bool dropped_ = false;
};
