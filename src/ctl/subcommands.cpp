#include "ctl/subcommands.h"

#include <memory>

#include <CLI/CLI.hpp>

#include "ctl/audit_command.h"
#include "ctl/diag_command.h"
#include "ctl/file_commands.h"
#include "ctl/get_set_commands.h"
#include "ctl/monitor_command.h"
#include "ctl/receiver_commands.h"
#include "ctl/receiver_session.h"
#include "ctl/trace_command.h"

namespace kdv::ctl {

namespace {

// A row whose options live in an Options of its own, made when the command
// is declared and read when it runs.
template <class Options>
Subcommand row(std::string_view name, std::string_view help, void (*declare_options)(CLI::App&, Options&),
               Exit (*run)(const Options&)) {
  return {name, help, [declare_options, run](CLI::App& command) -> std::function<Exit()> {
            auto options = std::make_shared<Options>();
            declare_options(command, *options);
            return [run, options] { return run(*options); };
          }};
}

void add_strict(CLI::App& command, bool& strict) {
  command.add_flag("--strict", strict, "Refuse missing keys, and treat warnings as errors");
}

}  // namespace

std::vector<Subcommand> subcommands() {
  return {
      row<ExportOptions>("export", "Write a configuration as a TOML document",
                         [](CLI::App& c, ExportOptions& o) {
                           c.add_option("input", o.input,
                                        "PAIR (with or without .gdt/.rxd) or FILE.toml; - reads standard input")
                               ->required();
                           c.add_option("-o,--output", o.output, "Output file; - (the default) is standard output");
                           add_strict(c, o.strict);
                         },
                         export_command),
      row<ImportOptions>("import", "Write a configuration as a .gdt/.rxd pair",
                         [](CLI::App& c, ImportOptions& o) {
                           c.add_option("input", o.input, "FILE.toml or PAIR; - reads standard input")->required();
                           c.add_option("-o,--output", o.output, "The pair to write, with or without .gdt/.rxd")
                               ->required();
                           add_strict(c, o.strict);
                         },
                         import_command),
      row<DiffOptions>("diff", "Compare two configurations setting by setting",
                       [](CLI::App& c, DiffOptions& o) {
                         c.add_option("a", o.a, "PAIR or FILE.toml")->required();
                         c.add_option("b", o.b, "PAIR or FILE.toml")->required();
                         c.add_flag("--all", o.all, "Compare what the receiver reported too");
                         c.add_flag("--json", o.json, "The differences as JSON");
                         add_strict(c, o.strict);
                       },
                       diff_command),
      row<ShowOptions>("show", "Show a configuration as a readable table",
                       [](CLI::App& c, ShowOptions& o) {
                         c.add_option("input", o.input, "PAIR or FILE.toml")->required();
                         add_strict(c, o.strict);
                       },
                       show_command),
      row<ReportOptions>("report", "Write the console's configuration report",
                         [](CLI::App& c, ReportOptions& o) {
                           c.add_option("input", o.input, "PAIR or FILE.toml")->required();
                           c.add_option("-o,--output", o.output, "Output file; - (the default) is standard output");
                           add_strict(c, o.strict);
                         },
                         report_command),
      row<DeviceOptions>("ports", "List the serial ports (KDV578_PORTS overrides the list)", add_device_options,
                         ports_command),
      row<UploadOptions>("upload", "Read the receiver's whole configuration, as the console does",
                         [](CLI::App& c, UploadOptions& o) {
                           add_device_options(c, o.device);
                           c.add_option("-o,--output", o.output,
                                        "PAIR or FILE.toml; - (the default) is standard output");
                         },
                         upload_command),
      row<DownloadOptions>("download", "Write a configuration into the receiver, as the console does",
                           [](CLI::App& c, DownloadOptions& o) {
                             add_device_options(c, o.device);
                             c.add_option("input", o.input, "PAIR or FILE.toml; - reads standard input")->required();
                             c.add_flag("--verify", o.verify, "Upload afterwards and compare with what was sent");
                             c.add_flag("--signoff", o.signoff, "End with the signoff");
                             c.add_flag("--fill-defaults", o.fill_defaults,
                                        "Send a freshly started console's values for the keys the document lacks");
                             add_strict(c, o.strict);
                           },
                           download_command),
      row<DownloadOptions>("verify", "Compare the receiver with a configuration; nothing is written",
                           [](CLI::App& c, DownloadOptions& o) {
                             add_device_options(c, o.device);
                             c.add_option("input", o.input, "PAIR or FILE.toml; - reads standard input")->required();
                             add_strict(c, o.strict);
                           },
                           verify_command),
      row<DeviceOptions>("signoff", "Send the confirm and the signoff", add_device_options, signoff_command),
      row<GetOptions>("get", "Read settings by their keys (receiver.tag, tx1.ch3.high_alarm, ...)",
                      [](CLI::App& c, GetOptions& o) {
                        add_device_options(c, o.device);
                        c.add_option("keys", o.keys, "KEY...")->required();
                      },
                      get_command),
      row<SetOptions>("set", "Set settings as the console's editors do online",
                      [](CLI::App& c, SetOptions& o) {
                        add_device_options(c, o.device);
                        c.add_option("assignments", o.assignments, "KEY=VALUE...")->required();
                      },
                      set_command),
      row<MonitorOptions>("monitor", "Live readings as CSV, pass after pass",
                          [](CLI::App& c, MonitorOptions& o) {
                            add_device_options(c, o.device);
                            c.add_option("--tx", o.tx, "Transmitter 1..4 (default: every configured one in turn)");
                            c.add_option("--channel", o.channel,
                                         "Channel 1..16 (default: all, with the all-values reading)");
                            c.add_option("--interval", o.interval, "Least seconds between pass starts (default 0)");
                            CLI::Option* count = c.add_option("--count", o.count, "Passes to make, failed ones included");
                            c.add_option("--duration", o.duration, "How long to go on: 30s, 10m, 2h")->excludes(count);
                            c.add_option("-o,--output", o.output, "FILE.csv; - (the default) is standard output");
                          },
                          monitor_command),
      row<DeviceOptions>("diag", "Versions, status bits and switch banks with their meaning", add_device_options,
                         diag_command),
      row<TraceOptions>("trace", "Decode a frame trace into exchanges",
                        [](CLI::App& c, TraceOptions& o) {
                          c.add_option("file", o.file,
                                       "A trace written with KDV578_TRACE or --trace; - reads standard input")
                              ->required();
                          c.add_flag("--json", o.json, "The exchanges as JSON");
                        },
                        trace_command),
      row<AuditOptions>("audit", "Print the audit journal of changes sent to receivers",
                        [](CLI::App& c, AuditOptions& o) {
                          c.add_option("--since", o.since,
                                       "Entries from this UTC time on (2026-12-08, 2026-12-08T13:05)");
                          c.add_option("--port", o.port, "Entries for this port only");
                          c.add_flag("--json", o.json, "The entries as JSON");
                        },
                        audit_command),
  };
}

std::string subcommand_names() {
  const std::vector<Subcommand> rows = subcommands();
  std::string names;
  for (std::size_t i = 0; i < rows.size(); ++i)
    names += std::string(i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + std::string(rows[i].name);
  return names;
}

}  // namespace kdv::ctl
