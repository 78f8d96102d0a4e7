// kdv578ctl: the scripted companion of the console. Converts, compares,
// shows and reports configurations given as ".gdt"/".rxd" pairs or as
// TOML documents.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "ctl/audit_command.h"
#include "ctl/commands.h"
#include "ctl/output.h"
#include "ctl/trace_command.h"
#include "files/disk.h"

namespace {

// An interrupted command leaves no temporary behind: SIGINT ends with the
// exit code of an interruption, other ends re-raise the signal.
extern "C" void on_signal(int sig) {
  disk::REMOVE_TEMPORARIES();
  if (sig == SIGINT) ::_exit(static_cast<int>(ctl::Exit::kInterrupted));
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void add_strict(CLI::App* command, bool& strict) {
  command->add_flag("--strict", strict, "Refuse missing keys, and treat warnings as errors");
}

int run(int argc, char** argv) {
  CLI::App app{"kdv578ctl: KDV 578 configurations as text, compared, shown and reported"};
  app.set_version_flag("--version", "kdv578ctl " KDV578_VERSION);
  app.require_subcommand(1);

  ctl::ExportOptions ex;
  CLI::App* exp = app.add_subcommand("export", "Write a configuration as a TOML document");
  exp->add_option("input", ex.input, "PAIR (with or without .gdt/.rxd) or FILE.toml; - reads standard input")
      ->required();
  exp->add_option("-o,--output", ex.output, "Output file; - (the default) is standard output");
  add_strict(exp, ex.strict);

  ctl::ImportOptions im;
  CLI::App* imp = app.add_subcommand("import", "Write a configuration as a .gdt/.rxd pair");
  imp->add_option("input", im.input, "FILE.toml or PAIR; - reads standard input")->required();
  imp->add_option("-o,--output", im.output, "The pair to write, with or without .gdt/.rxd")->required();
  add_strict(imp, im.strict);

  ctl::DiffOptions di;
  CLI::App* dif = app.add_subcommand("diff", "Compare two configurations setting by setting");
  dif->add_option("a", di.a, "PAIR or FILE.toml")->required();
  dif->add_option("b", di.b, "PAIR or FILE.toml")->required();
  dif->add_flag("--all", di.all, "Compare what the receiver reported too");
  dif->add_flag("--json", di.json, "The differences as JSON");
  add_strict(dif, di.strict);

  ctl::ShowOptions sh;
  CLI::App* sho = app.add_subcommand("show", "Show a configuration as a readable table");
  sho->add_option("input", sh.input, "PAIR or FILE.toml")->required();
  add_strict(sho, sh.strict);

  ctl::ReportOptions re;
  CLI::App* rep = app.add_subcommand("report", "Write the console's configuration report");
  rep->add_option("input", re.input, "PAIR or FILE.toml")->required();
  rep->add_option("-o,--output", re.output, "Output file; - (the default) is standard output");
  add_strict(rep, re.strict);

  ctl::TraceOptions tr;
  CLI::App* tra = app.add_subcommand("trace", "Decode a frame trace into exchanges");
  tra->add_option("file", tr.file, "A trace written with KDV578_TRACE or --trace; - reads standard input")
      ->required();
  tra->add_flag("--json", tr.json, "The exchanges as JSON");

  ctl::AuditOptions au;
  CLI::App* aud = app.add_subcommand("audit", "Print the audit journal of changes sent to receivers");
  aud->add_option("--since", au.since, "Entries from this UTC time on (2026-12-08, 2026-12-08T13:05)");
  aud->add_option("--port", au.port, "Entries for this port only");
  aud->add_flag("--json", au.json, "The entries as JSON");

  const auto commands = {exp, imp, dif, sho, rep, tra, aud};
  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(commands.begin(), commands.end(), [&](CLI::App* c) { return c->check_name(argv[1]); })) {
    ctl::message("kdv578ctl: unknown command " + std::string(argv[1]) +
                 "; the commands are export, import, diff, show, report, trace and audit (kdv578ctl --help)");
    return static_cast<int>(ctl::Exit::kUsage);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    ctl::message("kdv578ctl: " + std::string(e.what()) + " (kdv578ctl --help)");
    return static_cast<int>(ctl::Exit::kUsage);
  }

  try {
    ctl::Exit code = ctl::Exit::kDone;
    if (*exp) code = ctl::export_command(ex);
    if (*imp) code = ctl::import_command(im);
    if (*dif) code = ctl::diff_command(di);
    if (*sho) code = ctl::show_command(sh);
    if (*rep) code = ctl::report_command(re);
    if (*tra) code = ctl::trace_command(tr);
    if (*aud) code = ctl::audit_command(au);
    return static_cast<int>(code);
  } catch (const ctl::Failure& f) {
    if (!f.message.empty()) ctl::message(f.message);
    return static_cast<int>(f.code);
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, on_signal);
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    // What the commands do not foresee comes from the system: memory, files.
    std::fprintf(stderr, "kdv578ctl: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "kdv578ctl: an unexpected failure\n");
  }
  return static_cast<int>(ctl::Exit::kFile);
}
