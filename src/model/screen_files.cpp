#include "model/screen_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "model/globals.h"

namespace globals {

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

void READ_MESSAGES(std::istream& in) {
  LineReader lines(in);
  std::string l;
  for (auto& message : MESSAGE) message = lines.next(l, message.capacity) ? l : std::string();
}

}  // namespace globals
