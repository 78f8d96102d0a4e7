#include "app/project1.h"

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
#include "model/globals.h"
#include "ui/crt.h"
#include "ui/wind.h"

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

constexpr const char* INVALID = "Invalid option at position %d: \"%s\"";
constexpr const char* NO_ARGUMENT = "Option at position %d does not allow an argument: %s";
constexpr const char* NEEDS_ARGUMENT = "Option at position %d needs an argument : %s";

}  // namespace

Ex1::Ex1(std::vector<std::string> params, std::string exe_name, std::ostream& out)
    : params_(std::move(params)), exe_name_(std::move(exe_name)), out_(out) {
  StopOnException = true;
}

void Ex1::Run() {
  while (!terminated_) {
    try {
      DORUN();
    } catch (const std::exception& e) {
      ShowException(e.what());
      if (StopOnException) Terminate();
    }
  }
}

void Ex1::DORUN() {
  const std::string error = CheckOptions("h", {"help"});
  if (!error.empty()) {
    ShowException(error);
    Terminate();
    return;
  }
  if (HasOption('h', "help")) {
    WRITEHELP();
    Terminate();
    return;
  }
  Terminate();
}

void Ex1::WRITEHELP() { out_ << "Usage: " << exe_name_ << " -h\n"; }

// The error report: where it happened (no code address here) and the text.
void Ex1::ShowException(std::string_view message) {
  char address[32];
  std::snprintf(address, sizeof address, "%0*" PRIXPTR, static_cast<int>(2 * sizeof(void*)),
                std::uintptr_t{0});
  out_ << "exception at " << address << ":\n" << message << '\n';
  out_.flush();
}

std::string Ex1::CheckOptions(std::string_view short_options,
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
        if (has_value) return format(NO_ARGUMENT, i, name);
      } else if (listed(long_options, std::string(name) + ":")) {
        if (!has_value) {
          if (!argument_follows(i)) return format(NEEDS_ARGUMENT, i, name);
          ++i;
        }
      } else {
        return format(INVALID, i, name);
      }
      continue;
    }
    for (std::size_t j = 1; j < p.size(); ++j) {
      const char c = p[j];
      const std::size_t at = short_options.find(c);
      if (c == ':' || at == std::string_view::npos) return format(INVALID, i, std::string(1, c));
      if (at + 1 < short_options.size() && short_options[at + 1] == ':') {
        if (j + 1 == p.size()) {  // the value is the next parameter
          if (!argument_follows(i)) return format(NEEDS_ARGUMENT, i, std::string(1, c));
          ++i;
        }
        break;  // the rest of this parameter is the value
      }
    }
  }
  return {};
}

bool Ex1::HasOption(char short_name, std::string_view long_name) const {
  const std::string short_form = {'-', short_name};
  const std::string long_form = "--" + std::string(long_name);
  for (const std::string& p : params_) {
    if (p == "--") break;
    if (p == short_form || p == long_form || p.starts_with(long_form + "=")) return true;
  }
  return false;
}

void RUNAPPLICATION(const kdv::model::Session& session, std::string_view argv0) {
  std::error_code ec;
  std::string own = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  if (ec || own.empty()) own = std::string(argv0);
  Ex1 APPLICATION(session.ARGUMENTS, own, std::cout);
  APPLICATION.Title = "Ex11";
  APPLICATION.Run();
}

void STARTUP(kdv::model::Session& session) {
  kdv::link::set_host(&console_host());
  static kdv::link::JournalWatcher journal = console_journal(session, kdv::link::audit_path());
  kdv::link::set_change_watcher(&journal);
  static ConsoleProgress progress(session);
  kdv::transfer::set_progress(&progress);
  kdv::ui::Window(1, 1, kdv::ui::COLS, kdv::ui::ROWS);
  kdv::ui::ClrScr();
  // Each text is shown before the step it announces, which may take a while.
  kdv::ui::WriteLn("Loading......");
  kdv::ui::Present();
  CLEARPORT(session);
  kdv::ui::GotoXY(1, 2);
  kdv::ui::Write("Serial Port Scanning is In-Progress...");
  kdv::ui::Present();
  COMPORTSCAN(session);
  kdv::ui::INITWIND(session);  // ends the program when a screen definition file is missing
  kdv::model::INITCOMMS(session);
  kdv::ui::CURSOROFF();
  OPENING(session);
}

}  // namespace kdv::app
