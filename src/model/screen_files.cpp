#include "model/screen_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "model/records.h"

namespace kdv::model {

ScreenFile::ScreenFile(const std::filesystem::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
  struct stat st {};
  if (fd_ >= 0 && (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd_);
    fd_ = -1;
  }
}

ScreenFile::~ScreenFile() {
  if (fd_ >= 0) ::close(fd_);
}

ScreenFile::int_type ScreenFile::underflow() {
  ssize_t n;
  do n = ::read(fd_, buffer_, sizeof buffer_);
  while (n < 0 && errno == EINTR);
  if (n <= 0) return traits_type::eof();
  setg(buffer_, buffer_, buffer_ + n);
  return traits_type::to_int_type(buffer_[0]);
}

bool LineReader::next(std::string& line, std::size_t keep) {
  if (in_.peek() == std::istream::traits_type::eof()) return false;
  ++number_;
  // One character more than kept, for the CR of a DOS line end.
  line.assign(keep + 2, '\0');
  in_.get(line.data(), static_cast<std::streamsize>(keep + 2), '\n');
  line.resize(static_cast<std::size_t>(in_.gcount()));
  in_.clear(in_.rdstate() & ~std::ios::failbit);  // an empty line is no failure
  in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > keep) line.resize(keep);
  return true;
}

namespace {

// A number line is looked at this far: room for blanks before the number
// and for all its digits.
constexpr std::size_t kNumberLineKept = 255;

// Reads one screen into s. Returns a fault, or nothing when the screen is
// complete and within the limits.
class ScreenParser {
 public:
  ScreenParser(LineReader& lines, int screen) : lines_(lines), screen_(screen) {}

  std::optional<LoadFault> parse(MenuScreen& s) {
    if (!number(s.column_count, 1, 2, "the number of columns must be 1 or 2")) return fault_;
    Indexed<int, 1, 2> maxy_line{};
    for (int i = 1; i <= s.column_count; ++i) {
      if (!number(s.row_count[i], 1, 14, "the number of rows must be 1 to 14")) return fault_;
      maxy_line[i] = lines_.number();
    }
    for (int i = 1; i <= s.column_count; ++i) {
      bool selectable = false;
      for (int j = 1; j <= s.row_count[i]; ++j) {
        MenuCell& c = s.cells[i][j];
        if (!text(c.label) || !number(c.x, 1, 80, "the column must be 1 to 80") ||
            !number(c.y, 1, 25, "the row must be 1 to 25") || !text(c.help_line1) ||
            !text(c.help_line2))
          return fault_;
        selectable = selectable || !is_inert(c);
      }
      if (!selectable)
        return LoadFault{maxy_line[i], "every cell of column " + std::to_string(i) + " of screen " +
                                            std::to_string(screen_) + " is inert"};
    }
    return std::nullopt;
  }

 private:
  bool line(std::string& out, std::size_t keep) {
    if (lines_.next(out, keep)) return true;
    fault_ = LoadFault{lines_.number() + 1,
                        "the file ends before screen " + std::to_string(screen_) + " is complete"};
    return false;
  }

  template <std::size_t N>
  bool text(Text<N>& field) {
    std::string l;
    if (!line(l, N)) return false;
    field = l;
    return true;
  }

  // An unsigned number at the start of the line (blanks before it skipped,
  // the rest of the line ignored), within lo..hi.
  bool number(Byte& field, int lo, int hi, const char* range_reason) {
    std::string l;
    if (!line(l, kNumberLineKept)) return false;
    std::size_t p = l.find_first_not_of(" \t");
    if (p == std::string::npos || l[p] < '0' || l[p] > '9') {
      fault_ = LoadFault{lines_.number(), "a number is expected"};
      return false;
    }
    int value = 0;
    for (; p < l.size() && l[p] >= '0' && l[p] <= '9'; ++p) value = std::min(value * 10 + (l[p] - '0'), 1000);
    if (value < lo || value > hi) {
      fault_ = LoadFault{lines_.number(), range_reason};
      return false;
    }
    field = static_cast<Byte>(value);
    return true;
  }

  LineReader& lines_;
  int screen_;
  LoadFault fault_;
};

}  // namespace

void read_messages(std::istream& in, MESSAGES& messages) {
  LineReader lines(in);
  std::string l;
  for (auto& message : messages) message = lines.next(l, message.kCapacity) ? l : std::string();
}

// The screen file has no header and no separators, so every line is read in
// its fixed place; a file outside the limits the menus rely on is refused
// with its line number rather than drawn half-broken.
std::optional<LoadFault> read_screens(std::istream& in, MenuScreens& screens) {
  LineReader lines(in);
  MenuScreens loaded{};
  for (int s = 1; s <= kScreenCount; ++s) {
    if (auto fault = ScreenParser(lines, s).parse(loaded[s])) return fault;
  }
  screens = loaded;
  return std::nullopt;
}

}  // namespace kdv::model
