#include "app/startup.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/console_host.h"
#include "app/console_journal.h"
#include "app/console_progress.h"
#include "app/port_choice.h"
#include "model/records.h"
#include "ui/console.h"
#include "ui/screen_file_loading.h"

namespace kdv::app {

namespace {

bool listed(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string format(const char* pattern, int position, std::string_view text) {
  char buf[512];
  std::snprintf(buf, sizeof buf, pattern, position, std::string(text).c_str());
  return buf;
}

constexpr const char* kInvalidOptionText = "Invalid option at position %d: \"%s\"";
constexpr const char* kNoArgumentText = "Option at position %d does not allow an argument: %s";
constexpr const char* kNeedsArgumentText = "Option at position %d needs an argument : %s";

// "-h" or "--help" before any "--" (a value on "--help" is an error already).
bool asks_for_help(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (argument == "-h" || argument == "--help") return true;
  }
  return false;
}

}  // namespace

std::string option_error(const std::vector<std::string>& arguments, std::string_view short_options,
                         const std::vector<std::string>& long_options) {
  const int count = static_cast<int>(arguments.size());
  auto argument_follows = [&](int i) { return i < count && !arguments[i].starts_with('-'); };
  for (int i = 1; i <= count; ++i) {
    const std::string& p = arguments[i - 1];
    if (p.size() < 2 || p[0] != '-') continue;  // not an option ("-" alone is none either)
    if (p == "--") break;                         // the options end here
    if (p[1] == '-') {
      std::string_view name = std::string_view(p).substr(2);
      const std::size_t eq = name.find('=');
      const bool has_value = eq != std::string_view::npos;
      name = name.substr(0, eq);
      if (listed(long_options, name)) {
        if (has_value) return format(kNoArgumentText, i, name);
      } else if (listed(long_options, std::string(name) + ":")) {
        if (!has_value) {
          if (!argument_follows(i)) return format(kNeedsArgumentText, i, name);
          ++i;
        }
      } else {
        return format(kInvalidOptionText, i, name);
      }
      continue;
    }
    for (std::size_t j = 1; j < p.size(); ++j) {
      const char c = p[j];
      const std::size_t at = short_options.find(c);
      if (c == ':' || at == std::string_view::npos) return format(kInvalidOptionText, i, std::string(1, c));
      if (at + 1 < short_options.size() && short_options[at + 1] == ':') {
        if (j + 1 == p.size()) {  // the value is the next parameter
          if (!argument_follows(i)) return format(kNeedsArgumentText, i, std::string(1, c));
          ++i;
        }
        break;  // the rest of this parameter is the value
      }
    }
  }
  return {};
}

void print_option_messages(const std::vector<std::string>& arguments, std::string_view own_path, std::ostream& out) {
  const std::string error = option_error(arguments, "h", {"help"});
  if (!error.empty()) {
    // An error report: where it happened (no code address here) and the text.
    out << "exception at " << std::string(2 * sizeof(void*), '0') << ":\n" << error << '\n';
    out.flush();
  } else if (asks_for_help(arguments)) {
    out << "Usage: " << own_path << " -h\n";
  }
}

std::string own_program_path(std::string_view argv0) {
  std::error_code ec;
  std::string own = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec || own.empty()) own = std::string(argv0);
  return own;
}

void start_up(kdv::model::Session& session) {
  kdv::link::set_host(&console_host());
  static kdv::link::JournalWatcher journal = console_journal(session, kdv::link::audit_path());
  kdv::link::set_change_watcher(&journal);
  static ConsoleProgress progress(session);
  kdv::transfer::set_progress(&progress);
  kdv::ui::set_text_window(1, 1, kdv::ui::kColumns, kdv::ui::kRows);
  kdv::ui::clear_window();
  // Each text is shown before the step it announces, which may take a while.
  kdv::ui::write_line("Loading......");
  kdv::ui::present();
  clear_port_list(session);
  kdv::ui::go_to_xy(1, 2);
  kdv::ui::write_text("Serial Port Scanning is In-Progress...");
  kdv::ui::present();
  scan_ports(session);
  session.online = true;  // the console starts online; the port choice can take it offline
  kdv::ui::load_screen_files(session);  // ends the program when a screen definition file is missing
  kdv::model::init_model(session);
  kdv::ui::cursor_off();
  run_opening(session);
}

}  // namespace kdv::app
