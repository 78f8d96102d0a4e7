// kdv578ctl: the scripted companion of the console. Converts, compares,
// shows and reports configurations given as ".gdt"/".rxd" pairs or as
// TOML documents, and uploads, downloads, verifies, reads, sets, monitors
// and diagnoses a receiver on a serial port.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <CLI/CLI.hpp>

#include "ctl/audit_command.h"
#include "ctl/commands.h"
#include "ctl/device.h"
#include "ctl/diag.h"
#include "ctl/output.h"
#include "ctl/monitor.h"
#include "ctl/receiver_commands.h"
#include "ctl/settings.h"
#include "ctl/trace_command.h"
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

// A command on a receiver, with the options every such command takes.
CLI::App* device_command(CLI::App& app, const char* name, const char* help, kdv::ctl::DeviceOptions& options) {
  CLI::App* command = app.add_subcommand(name, help);
  kdv::ctl::add_device_options(command, options);
  return command;
}

void add_strict(CLI::App* command, bool& strict) {
  command->add_flag("--strict", strict, "Refuse missing keys, and treat warnings as errors");
}

int run(int argc, char** argv) {
  CLI::App app{"kdv578ctl: KDV 578 configurations as text, compared, shown and reported"};
  app.set_version_flag("--version", "kdv578ctl " KDV578_VERSION);
  app.require_subcommand(1);

  kdv::ctl::ExportOptions ex;
  CLI::App* exp = app.add_subcommand("export", "Write a configuration as a TOML document");
  exp->add_option("input", ex.input, "PAIR (with or without .gdt/.rxd) or FILE.toml; - reads standard input")
      ->required();
  exp->add_option("-o,--output", ex.output, "Output file; - (the default) is standard output");
  add_strict(exp, ex.strict);

  kdv::ctl::ImportOptions im;
  CLI::App* imp = app.add_subcommand("import", "Write a configuration as a .gdt/.rxd pair");
  imp->add_option("input", im.input, "FILE.toml or PAIR; - reads standard input")->required();
  imp->add_option("-o,--output", im.output, "The pair to write, with or without .gdt/.rxd")->required();
  add_strict(imp, im.strict);

  kdv::ctl::DiffOptions di;
  CLI::App* dif = app.add_subcommand("diff", "Compare two configurations setting by setting");
  dif->add_option("a", di.a, "PAIR or FILE.toml")->required();
  dif->add_option("b", di.b, "PAIR or FILE.toml")->required();
  dif->add_flag("--all", di.all, "Compare what the receiver reported too");
  dif->add_flag("--json", di.json, "The differences as JSON");
  add_strict(dif, di.strict);

  kdv::ctl::ShowOptions sh;
  CLI::App* sho = app.add_subcommand("show", "Show a configuration as a readable table");
  sho->add_option("input", sh.input, "PAIR or FILE.toml")->required();
  add_strict(sho, sh.strict);

  kdv::ctl::ReportOptions re;
  CLI::App* rep = app.add_subcommand("report", "Write the console's configuration report");
  rep->add_option("input", re.input, "PAIR or FILE.toml")->required();
  rep->add_option("-o,--output", re.output, "Output file; - (the default) is standard output");
  add_strict(rep, re.strict);

  kdv::ctl::DeviceOptions po;
  CLI::App* prt = device_command(app, "ports", "List the serial ports (KDV578_PORTS overrides the list)", po);

  kdv::ctl::UploadOptions up;
  CLI::App* upl = device_command(app, "upload", "Read the receiver's whole configuration, as the console does", up.device);
  upl->add_option("-o,--output", up.output, "PAIR or FILE.toml; - (the default) is standard output");

  kdv::ctl::DownloadOptions dn;
  CLI::App* dow = device_command(app, "download", "Write a configuration into the receiver, as the console does", dn.device);
  dow->add_option("input", dn.input, "PAIR or FILE.toml; - reads standard input")->required();
  dow->add_flag("--verify", dn.verify, "Upload afterwards and compare with what was sent");
  dow->add_flag("--signoff", dn.signoff, "End with the signoff");
  dow->add_flag("--fill-defaults", dn.fill_defaults,
                "Send a freshly started console's values for the keys the document lacks");
  add_strict(dow, dn.strict);

  kdv::ctl::DownloadOptions ve;
  CLI::App* ver = device_command(app, "verify", "Compare the receiver with a configuration; nothing is written", ve.device);
  ver->add_option("input", ve.input, "PAIR or FILE.toml; - reads standard input")->required();
  add_strict(ver, ve.strict);

  kdv::ctl::DeviceOptions so;
  CLI::App* sig = device_command(app, "signoff", "Send the confirm and the signoff", so);

  kdv::ctl::GetOptions ge;
  CLI::App* get = device_command(app, "get", "Read settings by their keys (receiver.tag, tx1.ch3.high_alarm, ...)", ge.device);
  get->add_option("keys", ge.keys, "KEY...")->required();

  kdv::ctl::SetOptions se;
  CLI::App* set = device_command(app, "set", "Set settings as the console's editors do online", se.device);
  set->add_option("assignments", se.assignments, "KEY=VALUE...")->required();

  kdv::ctl::MonitorOptions mo;
  CLI::App* mon = device_command(app, "monitor", "Live readings as CSV, pass after pass", mo.device);
  mon->add_option("--tx", mo.tx, "Transmitter 1..4 (default: every configured one in turn)");
  mon->add_option("--channel", mo.channel, "Channel 1..16 (default: all, with the all-values reading)");
  mon->add_option("--interval", mo.interval, "Least seconds between pass starts (default 0)");
  CLI::Option* count = mon->add_option("--count", mo.count, "Passes to make, failed ones included");
  mon->add_option("--duration", mo.duration, "How long to go on: 30s, 10m, 2h")->excludes(count);
  mon->add_option("-o,--output", mo.output, "FILE.csv; - (the default) is standard output");

  kdv::ctl::DeviceOptions dg;
  CLI::App* dia = device_command(app, "diag", "Versions, status bits and switch banks with their meaning", dg);

  kdv::ctl::TraceOptions tr;
  CLI::App* tra = app.add_subcommand("trace", "Decode a frame trace into exchanges");
  tra->add_option("file", tr.file, "A trace written with KDV578_TRACE or --trace; - reads standard input")
      ->required();
  tra->add_flag("--json", tr.json, "The exchanges as JSON");

  kdv::ctl::AuditOptions au;
  CLI::App* aud = app.add_subcommand("audit", "Print the audit journal of changes sent to receivers");
  aud->add_option("--since", au.since, "Entries from this UTC time on (2026-12-08, 2026-12-08T13:05)");
  aud->add_option("--port", au.port, "Entries for this port only");
  aud->add_flag("--json", au.json, "The entries as JSON");

  const auto commands = {exp, imp, dif, sho, rep, prt, upl, dow, ver, sig, get, set, mon, dia, tra, aud};
  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(commands.begin(), commands.end(), [&](CLI::App* c) { return c->check_name(argv[1]); })) {
    kdv::ctl::message("kdv578ctl: unknown command " + kdv::model::printable_text(argv[1], kdv::model::kMessageValueLength) +
                 "; the commands are export, import, diff, show, report, ports, upload, download, verify, "
                 "signoff, get, set, monitor, diag, trace and audit (kdv578ctl --help)");
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
    if (*exp) code = kdv::ctl::export_command(ex);
    if (*imp) code = kdv::ctl::import_command(im);
    if (*dif) code = kdv::ctl::diff_command(di);
    if (*sho) code = kdv::ctl::show_command(sh);
    if (*rep) code = kdv::ctl::report_command(re);
    if (*prt) code = kdv::ctl::ports_command(po);
    if (*upl) code = kdv::ctl::upload_command(up);
    if (*dow) code = kdv::ctl::download_command(dn);
    if (*ver) code = kdv::ctl::verify_command(ve);
    if (*sig) code = kdv::ctl::signoff_command(so);
    if (*get) code = kdv::ctl::get_command(ge);
    if (*set) code = kdv::ctl::set_command(se);
    if (*mon) code = kdv::ctl::monitor_command(mo);
    if (*dia) code = kdv::ctl::diag_command(dg);
    if (*tra) code = kdv::ctl::trace_command(tr);
    if (*aud) code = kdv::ctl::audit_command(au);
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
