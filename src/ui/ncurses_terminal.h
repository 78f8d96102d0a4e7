// The real terminal behind the console layer, on ncursesw. The only part of
// the program that talks to curses.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "ui/terminal.h"

namespace kdv::ui {

class NcursesTerminal final : public Terminal {
 public:
  struct Options {
    std::FILE* out = stdout;
    std::FILE* in = stdin;
    // Terminal type; TERM when null. When its description is missing, xterm
    // and then ansi are tried.
    const char* term = nullptr;
    // Called first on every way out the terminal is restored on; runs in
    // signal handlers, so it must be async-signal-safe (the program removes
    // the temporaries of a save cut short).
    void (*on_way_out)() noexcept = nullptr;
  };

  // A terminal taken over, or why none was.
  struct Opened {
    std::unique_ptr<NcursesTerminal> terminal;
    std::string refusal;  // one line, when terminal is null
  };

  // Takes over the terminal: full screen, keys unbuffered, cursor keys and
  // Alt decoded. Refuses when no terminal description can be loaded, when
  // the terminal cannot address the cursor, or when a terminal is already
  // open (there is only one screen).
  //
  // From here until the object is destroyed the terminal is restored on
  // every way out: destruction, Quit, exit(), std::terminate, SIGTERM,
  // SIGHUP, SIGINT, SIGQUIT and the fatal signals (restored, then the signal
  // takes its normal course). Ctrl-Z leaves the screen and comes back to it.
  [[nodiscard]] static Opened open_terminal(const Options& options);
  [[nodiscard]] static Opened open_terminal() { return open_terminal(Options{}); }
  ~NcursesTerminal() override;

  void present(ScreenModel& model) override;
  void fetch_keys(std::deque<std::uint8_t>& queue, int timeout_ms) override;
  int input_fd() const override;
  void sleep(unsigned ms) override;
  void bell() override;
  void cursor_visible(bool visible) override;
  [[noreturn]] void quit(int code, std::string_view message) override;

  // What the terminal turned out to be.
  const char* term_name() const;
  bool unicode() const;   // glyphs shown as Unicode (a UTF-8 locale)
  int colours() const;    // 16, 8, or 0 (monochrome attributes)
  int escape_delay_ms() const;

 private:
  struct Impl;
  explicit NcursesTerminal(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace kdv::ui
