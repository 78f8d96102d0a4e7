#include <cstdio>
#include <cstdlib>

#include "app/project1.h"
#include "model/globals.h"
#include "ui/crt.h"
#include "ui/ncurses_terminal.h"

int main(int argc, char** argv) {
  globals::ARGUMENTS.assign(argv + 1, argv + argc);
  project1::RUNAPPLICATION(argc > 0 ? argv[0] : "kdv578");

  const auto terminal = crt::NcursesTerminal::Open();
  if (!terminal) {
    const char* term = std::getenv("TERM");
    std::fprintf(stderr, "kdv578: cannot use this terminal (TERM=%s): no terminal description found\n",
                 term ? term : "");
    return 1;
  }
  crt::Install(terminal.get());
  project1::STARTUP();
}
