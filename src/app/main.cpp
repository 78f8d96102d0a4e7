#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/startup.h"
#include "files/file_pair.h"
#include "link/trace.h"
#include "model/records.h"
#include "model/session.h"
#include "ui/console.h"
#include "ui/ncurses_terminal.h"

int main(int argc, char** argv) {
  kdv::model::Session session;
  session.arguments.assign(argv + 1, argv + argc);
  kdv::app::print_option_messages(session.arguments, kdv::app::own_program_path(argc > 0 ? argv[0] : "kdv578"),
                                  std::cout);

  // Keys are read from standard input: without a terminal there nothing can
  // be typed (and a closed one would be reused by the next descriptor opened).
  if (!isatty(STDIN_FILENO)) {
    const bool closed = errno == EBADF;
    std::fflush(stdout);  // after the usage line, if any
    std::fprintf(stderr, "kdv578: standard input is %s; run kdv578 from a terminal\n",
                 closed ? "closed" : "not a terminal");
    return 1;
  }
  // KDV578_TRACE names a file for a trace of every frame on the line.
  if (const char* trace = std::getenv("KDV578_TRACE"); trace && *trace) {
    if (const auto error = kdv::link::start_trace(trace)) {
      std::fprintf(stderr, "kdv578: %s\n", error->c_str());
      return 1;
    }
  }
  kdv::ui::NcursesTerminal::Options options;
  options.on_way_out = kdv::files::remove_temporaries;  // a save cut short leaves no temporary
  const auto [terminal, refusal] = kdv::ui::NcursesTerminal::open_terminal(options);
  if (!terminal) {
    const char* term = std::getenv("TERM");
    std::fprintf(stderr, "kdv578: cannot use this terminal (TERM=%s): %s\n", term ? term : "", refusal.c_str());
    return 1;
  }
  kdv::ui::install_terminal(terminal.get());
  kdv::app::start_up(session);
}
