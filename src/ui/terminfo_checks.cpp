// The terminfo look-ups the ncurses terminal makes.
#include "ui/terminfo_checks.h"

#define NCURSES_WIDECHAR 1
#include <ncurses.h>
#include <term.h>  // setupterm, tigetstr, tiparm

namespace kdv::ui {

Description describe(const std::string& name, int fd) {
  int error = 0;
  if (setupterm(name.c_str(), fd, &error) != OK) return Description::kMissing;
  // Without cursor addressing (TERM=dumb) every screen would come out as
  // fragments strung along one line.
  const bool addressable = !terminfo_string("cup").empty();
  del_curterm(set_curterm(nullptr));
  return addressable ? Description::kUsable : Description::kNoCursorAddressing;
}

std::string terminfo_string(const char* name) {
  const char* s = tigetstr(name);
  return (s && s != reinterpret_cast<const char*>(-1)) ? std::string(s) : std::string();
}

std::string terminfo_with_number(const char* capability, int n) {
  const char* s = tiparm(capability, n);
  return s ? std::string(s) : std::string();
}

std::string line_letters() {
  const std::string pairs = terminfo_string("acsc");  // letter, then the terminal's own character
  std::string letters;
  for (std::size_t i = 0; i < pairs.size(); i += 2) letters += pairs[i];
  return letters;
}

}  // namespace kdv::ui
