// The real ncurses backend on a pseudo-terminal of 80 x 25 in a UTF-8
// locale, as a terminal emulator would run it: the benchmark reads what the
// terminal receives from the master side.
#pragma once

#include <pty.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include "ui/ncurses_terminal.h"

namespace bench {

class PtyTerminal {
 public:
  PtyTerminal() {
    winsize ws{};
    ws.ws_row = 25;
    ws.ws_col = 80;
    if (openpty(&master_, &slave_, nullptr, nullptr, &ws) != 0) throw std::runtime_error("openpty");
    setenv("LC_ALL", "C.UTF-8", 1);
    out_ = fdopen(dup(slave_), "w");
    in_ = fdopen(dup(slave_), "r");
    // TERM chooses the terminal description (xterm-256color when unset).
    const char* term = std::getenv("TERM");
    terminal_ = kdv::ui::NcursesTerminal::open_terminal({out_, in_, term && *term ? term : "xterm-256color"}).terminal;
    if (!terminal_) throw std::runtime_error("no terminal");
    terminal_->cursor_visible(false);
  }
  ~PtyTerminal() {
    terminal_.reset();
    std::fclose(out_);
    std::fclose(in_);
    close(master_);
    close(slave_);
  }
  PtyTerminal(const PtyTerminal&) = delete;
  PtyTerminal& operator=(const PtyTerminal&) = delete;

  kdv::ui::NcursesTerminal& terminal() { return *terminal_; }
  int master() const { return master_; }  // what the terminal receives
  int slave() const { return slave_; }

 private:
  int master_ = -1, slave_ = -1;
  std::FILE* out_ = nullptr;
  std::FILE* in_ = nullptr;
  std::unique_ptr<kdv::ui::NcursesTerminal> terminal_;
};

}  // namespace bench
