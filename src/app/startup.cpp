#include "app/startup.h"

#include <cinttypes>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
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
  for (const std::string& n : names)
    if (n == name) return true;
  return false;
}

std::string format(const char* pattern, int position, std::string_view text) {
  char buf[512];
  std::snprintf(buf, sizeof buf, pattern, position, std::string(text).c_str());
  return buf;
}

constexpr const char* kInvalidOptionText = "Invalid option at position %d: \"%s\"";
constexpr const char* kNoArgumentText = "Option at position %d does not allow an argument: %s";
constexpr const char* kNeedsArgumentText = "Option at position %d needs an argument : %s";

}  // namespace

Application::Application(std::vector<std::string> params, std::string exe_name, std::ostream& out)
    : params_(std::move(params)), exe_name_(std::move(exe_name)), out_(out) {
  stop_on_exception = true;
}

void Application::run() {
  while (!terminated_) {
    try {
      do_run();
    } catch (const std::exception& e) {
      show_exception(e.what());
      if (stop_on_exception) stop();
    }
  }
}

void Application::do_run() {
  const std::string error = check_options("h", {"help"});
  if (!error.empty()) {
    show_exception(error);
    stop();
    return;
  }
  if (has_option('h', "help")) {
    write_help();
    stop();
    return;
  }
  stop();
}

void Application::write_help() { out_ << "Usage: " << exe_name_ << " -h\n"; }

// The error report: where it happened (no code address here) and the text.
void Application::show_exception(std::string_view message) {
  char address[32];
  std::snprintf(address, sizeof address, "%0*" PRIXPTR, static_cast<int>(2 * sizeof(void*)),
                std::uintptr_t{0});
  out_ << "exception at " << address << ":\n" << message << '\n';
  out_.flush();
}

std::string Application::check_options(std::string_view short_options,
                              const std::vector<std::string>& long_options) const {
  const int count = static_cast<int>(params_.size());
  auto argument_follows = [&](int i) { return i < count && !params_[i].starts_with('-'); };
  for (int i = 1; i <= count; ++i) {
    const std::string& p = params_[i - 1];
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

bool Application::has_option(char short_name, std::string_view long_name) const {
  const std::string short_form = {'-', short_name};
  const std::string long_form = "--" + std::string(long_name);
  for (const std::string& p : params_) {
    if (p == "--") break;
    if (p == short_form || p == long_form || p.starts_with(long_form + "=")) return true;
  }
  return false;
}

void run_application(const kdv::model::Session& session, std::string_view argv0) {
  std::error_code ec;
  std::string own = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec || own.empty()) own = std::string(argv0);
  Application application(session.arguments, own, std::cout);
  application.title = "Ex11";
  application.run();
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
