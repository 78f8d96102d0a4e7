// kdv578ctl's subcommands as a user meets them: the ones --help lists are
// the ones the unknown-command message names, in the same order, each
// answers its own --help with its help line, and the manual page describes
// every one of them.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ctl/ctl_run.h"
#include "files/scratch_dir.h"

namespace {

struct Listed {
  std::string name;
  std::string help;
};

// The rows under "Subcommands:" of the top-level --help.
std::vector<Listed> listed_subcommands(const std::string& help) {
  std::vector<Listed> rows;
  std::istringstream in(help.substr(help.find("Subcommands:\n") + 13));
  const std::regex row(R"(  (\S+) +(.+))");
  std::smatch m;
  for (std::string line; std::getline(in, line) && !line.empty();)
    if (std::regex_match(line, m, row)) rows.push_back({m[1], m[2]});
  return rows;
}

// "a, b and c" as the unknown-command message joins names.
std::string joined(const std::vector<Listed>& rows) {
  std::string out;
  for (std::size_t i = 0; i < rows.size(); ++i) out += (i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + rows[i].name;
  return out;
}

using CtlSubcommands = ScratchDir;

TEST_F(CtlSubcommands, HelpTheUnknownCommandMessageAndTheManualPageNameTheSameCommands) {
  const ctltest::Outcome help = ctltest::ctl("--help");
  ASSERT_EQ(help.code, 0);
  const std::vector<Listed> rows = listed_subcommands(help.out);
  ASSERT_FALSE(rows.empty()) << help.out;

  const ctltest::Outcome unknown = ctltest::ctl("frobnicate");
  EXPECT_EQ(unknown.code, 2);
  EXPECT_EQ(unknown.err, "kdv578ctl: unknown command frobnicate; the commands are " + joined(rows) +
                             " (kdv578ctl --help)\n");

  const std::string manual = ctltest::text_of(KDV578_SOURCE_DIR "/doc/kdv578ctl.1");
  std::set<std::string> documented;
  const std::regex synopsis(R"(\.B kdv578ctl ([a-z]+))");
  for (auto it = std::sregex_iterator(manual.begin(), manual.end(), synopsis); it != std::sregex_iterator(); ++it)
    documented.insert((*it)[1]);
  std::set<std::string> names;
  for (const Listed& r : rows) {
    names.insert(r.name);
    const ctltest::Outcome own = ctltest::ctl(r.name + " --help");
    EXPECT_EQ(own.code, 0) << r.name;
    EXPECT_EQ(own.out.substr(0, own.out.find('\n')), r.help) << r.name;
  }
  EXPECT_EQ(documented, names);
}

}  // namespace
