// kdv578ctl: the scripted companion of the console. Converts, compares,
// shows and reports configurations given as ".gdt"/".rxd" pairs or as
// TOML documents, and uploads, downloads, verifies, reads, sets, monitors
// and diagnoses a receiver on a serial port.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "ctl/exit_codes.h"
#include "ctl/output.h"
#include "ctl/receiver_session.h"
#include "ctl/subcommands.h"
#include "files/file_pair.h"
#include "link/trace.h"
#include "model/printable_text.h"

namespace {

// An interrupted command leaves no temporary behind: SIGINT ends with the
// exit code of an interruption, other ends re-raise the signal. While a
// receiver is being talked to, SIGINT and SIGTERM stop the link at once
// instead (a request frame begun is finished first), and the command ends
// with the exit code of an interruption.
extern "C" void on_signal(int sig) {
  if ((sig == SIGINT || sig == SIGTERM) && kdv::ctl::session_open()) {
    kdv::ctl::interrupt();
    return;
  }
  kdv::files::remove_temporaries();
  if (sig == SIGINT) ::_exit(static_cast<int>(kdv::ctl::Exit::kInterrupted));
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

int run(int argc, char** argv) {
  CLI::App app{
      "kdv578ctl: KDV 578 configurations as text, compared, shown and reported;\n"
      "a receiver's configuration uploaded, downloaded and verified, its settings\n"
      "read and set, its readings monitored and its diagnostics read"};
  app.set_version_flag("--version", "kdv578ctl " KDV578_VERSION);
  app.require_subcommand(1);

  struct Declared {
    CLI::App* command;
    std::function<kdv::ctl::Exit()> run;
  };
  std::vector<Declared> declared;
  for (const kdv::ctl::Subcommand& s : kdv::ctl::subcommands()) {
    CLI::App* command = app.add_subcommand(std::string(s.name), std::string(s.help));
    declared.push_back({command, s.declare(*command)});
  }

  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(declared.begin(), declared.end(), [&](const Declared& d) { return d.command->check_name(argv[1]); })) {
    kdv::ctl::message("kdv578ctl: unknown command " + kdv::model::printable_text(argv[1], kdv::model::kMessageValueLength) +
                      "; the commands are " + kdv::ctl::subcommand_names() + " (kdv578ctl --help)");
    return static_cast<int>(kdv::ctl::Exit::kUsage);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    kdv::ctl::message("kdv578ctl: " + std::string(e.what()) + " (kdv578ctl --help)");
    return static_cast<int>(kdv::ctl::Exit::kUsage);
  }

  kdv::ctl::Exit code = kdv::ctl::Exit::kDone;
  try {
    for (const Declared& d : declared)
      if (*d.command) code = d.run();
  } catch (const kdv::ctl::Failure& f) {
    if (!f.message.empty()) kdv::ctl::message(f.message);
    code = f.code;
  }
  // A trace cut short let the work go on; it fails a command that otherwise
  // succeeded, as a file that could not be written.
  if (const auto cut = kdv::link::trace_cut()) {
    kdv::ctl::message("kdv578ctl: " + *cut);
    if (code == kdv::ctl::Exit::kDone) code = kdv::ctl::Exit::kFile;
  }
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, on_signal);
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    // What the commands do not foresee comes from the system: memory, files.
    kdv::ctl::message("kdv578ctl: " + std::string(e.what()));
  } catch (...) {
    std::fprintf(stderr, "kdv578ctl: an unexpected failure\n");
  }
  return static_cast<int>(kdv::ctl::Exit::kFile);
}
