#include "ui/key_decoder.h"

#include "ui/glyphs.h"

namespace kdv::ui {

namespace scan {

std::uint8_t alt_letter(char letter) {
  // Letter keys by row of a PC keyboard, with the scan code of each row's
  // first key.
  constexpr struct {
    std::string_view keys;
    std::uint8_t first;
  } kKeyRows[] = {{"qwertyuiop", 16}, {"asdfghjkl", 30}, {"zxcvbnm", 44}};
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  for (const auto& row : kKeyRows) {
    const std::size_t i = row.keys.find(letter);
    if (i != std::string_view::npos) return static_cast<std::uint8_t>(row.first + i);
  }
  return 0;
}

}  // namespace scan

namespace {

constexpr char kEscape = '\x1b';
constexpr std::size_t kWait = 0;  // a step that used no bytes: more must come

struct KeySequence {
  std::string_view bytes;
  std::uint8_t scan;
};

// What xterm (both cursor-key modes), tmux and screen, rxvt, PuTTY and the
// Linux console send, in plain form: a modifier parameter (ESC[1;3A for
// Alt-Up, ESC[3;5~ for Ctrl-Delete) is stripped before the lookup, so a key
// held with Shift, Ctrl or Alt acts as the plain key.
constexpr KeySequence kSequences[] = {
    {"\x1b[A", scan::kUp},      {"\x1b[B", scan::kDown},    {"\x1b[C", scan::kRight},
    {"\x1b[D", scan::kLeft},    {"\x1bOA", scan::kUp},      {"\x1bOB", scan::kDown},
    {"\x1bOC", scan::kRight},   {"\x1bOD", scan::kLeft},    {"\x1b[H", scan::kHome},
    {"\x1b[F", scan::kEnd},     {"\x1bOH", scan::kHome},    {"\x1bOF", scan::kEnd},
    {"\x1b[1~", scan::kHome},   {"\x1b[4~", scan::kEnd},    {"\x1b[7~", scan::kHome},
    {"\x1b[8~", scan::kEnd},    {"\x1b[2~", scan::kInsert}, {"\x1b[3~", scan::kDelete},
    {"\x1b[5~", scan::kPageUp},   {"\x1b[6~", scan::kPageDown},   {"\x1b[Z", scan::kShiftTab},
    {"\x1bOP", scan::kF1},      {"\x1bOQ", scan::kF1 + 1},  {"\x1bOR", scan::kF1 + 2},
    {"\x1bOS", scan::kF1 + 3},  {"\x1b[11~", scan::kF1},    {"\x1b[12~", scan::kF1 + 1},
    {"\x1b[13~", scan::kF1 + 2}, {"\x1b[14~", scan::kF1 + 3}, {"\x1b[15~", scan::kF1 + 4},
    {"\x1b[17~", scan::kF1 + 5}, {"\x1b[18~", scan::kF1 + 6}, {"\x1b[19~", scan::kF1 + 7},
    {"\x1b[20~", scan::kF1 + 8}, {"\x1b[21~", scan::kF1 + 9}, {"\x1b[23~", scan::kF11},
    {"\x1b[24~", scan::kF12},   {"\x1b[[A", scan::kF1},     {"\x1b[[B", scan::kF1 + 1},
    {"\x1b[[C", scan::kF1 + 2}, {"\x1b[[D", scan::kF1 + 3}, {"\x1b[[E", scan::kF1 + 4},
};

int lookup(std::string_view sequence) {
  for (const KeySequence& s : kSequences)
    if (s.bytes == sequence) return s.scan;
  return -1;
}

bool is_final(char c) { return c >= 0x40 && c <= 0x7E; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void KeyDecoder::learn(std::string_view bytes, std::uint8_t scan) {
  // Only escape sequences: a single byte means itself.
  if (bytes.size() >= 2 && bytes[0] == kEscape) learned_.push_back({std::string(bytes), scan});
}

std::size_t KeyDecoder::decode(std::string_view bytes, bool more_may_follow,
                               std::vector<std::uint8_t>& codes) const {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const Step s = step(bytes.substr(i), more_may_follow);
    if (s.used == 0) break;
    codes.insert(codes.end(), s.code, s.code + s.count);
    i += s.used;
  }
  return i;
}

KeyDecoder::Step KeyDecoder::step(std::string_view in, bool more) const {
  const auto b = static_cast<std::uint8_t>(in[0]);
  if (b == 0x1b) return escape(in, more);
  if (b == 0) return {1, {}, 0};  // a NUL would read as the start of an extended key
  if (b == 0x7F) return {1, {8}, 1};
  if (b == '\n') return {1, {13}, 1};
  if (b < 0x80) return {1, {b}, 1};
  if (utf8_) return utf8_char(in, more);
  return {1, {}, 0};
}

KeyDecoder::Step KeyDecoder::escape(std::string_view in, bool more) const {
  const Step wait{kWait, {}, 0};
  const Step lone_escape{1, {27}, 1};
  const Step dropped{in.size(), {}, 0};
  auto key = [](std::size_t used, int scan) {
    return scan < 0 ? Step{used, {}, 0} : Step{used, {0, static_cast<std::uint8_t>(scan)}, 2};
  };

  // The terminal's own description first.
  const Learned* best = nullptr;
  for (const Learned& l : learned_) {
    if (in.starts_with(l.bytes) && (!best || l.bytes.size() > best->bytes.size())) best = &l;
    if (more && l.bytes.size() > in.size() && l.bytes.starts_with(in)) return wait;
  }
  if (best) return key(best->bytes.size(), best->scan);

  if (in.size() == 1) return more ? wait : lone_escape;
  const char c1 = in[1];

  if (c1 == '[') {
    if (in.size() == 2) return more ? wait : lone_escape;
    if (in[2] == '[') {  // Linux console F1-F5: ESC [ [ letter
      if (in.size() == 3) return more ? wait : dropped;
      return key(4, lookup(in.substr(0, 4)));
    }
    std::size_t i = 2;
    while (i < in.size() && in[i] >= 0x30 && in[i] <= 0x3F) ++i;  // parameters
    const std::size_t params_end = i;
    while (i < in.size() && in[i] >= 0x20 && in[i] <= 0x2F) ++i;  // intermediates
    if (i == in.size()) return more ? wait : dropped;
    if (!is_final(in[i])) return {i, {}, 0};  // broken off: drop what came before
    std::string_view first = in.substr(2, params_end - 2);
    first = first.substr(0, first.find(';'));
    if (first == "1" && in[i] != '~') first = {};  // ESC [ 1 ; mod letter
    std::string plain = "\x1b[";
    plain.append(first).push_back(in[i]);
    return key(i + 1, params_end == i ? lookup(plain) : -1);
  }

  if (c1 == 'O') {
    if (in.size() == 2) return more ? wait : key(2, scan::alt_letter('O'));
    std::size_t i = 2;
    while (i < in.size() && (is_digit(in[i]) || in[i] == ';')) ++i;  // ESC O 5 A
    if (i == in.size()) return more ? wait : dropped;
    if (!is_final(in[i])) return {i, {}, 0};
    const char plain[] = {kEscape, 'O', in[i]};
    return key(i + 1, lookup({plain, 3}));
  }

  if (c1 == kEscape) {
    // rxvt sends Alt with a cursor key as ESC before the key's sequence;
    // otherwise the first Escape is a key of its own.
    if (in.size() == 2) return more ? wait : lone_escape;
    if (in[2] != '[' && in[2] != 'O') return lone_escape;
    const Step inner = escape(in.substr(1), more);
    if (inner.used == kWait) return wait;
    if (inner.count == 2) return {inner.used + 1, {inner.code[0], inner.code[1]}, 2};
    return lone_escape;
  }

  if (const std::uint8_t alt = scan::alt_letter(c1)) return key(2, alt);
  return lone_escape;  // Escape, then the next byte as typed
}

KeyDecoder::Step KeyDecoder::utf8_char(std::string_view in, bool more) const {
  const auto lead = static_cast<std::uint8_t>(in[0]);
  std::size_t n = 0;
  char32_t c = 0;
  if (lead >= 0xC2 && lead <= 0xDF) n = 2, c = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF) n = 3, c = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4) n = 4, c = lead & 0x07;
  else return {1, {}, 0};
  for (std::size_t k = 1; k < n; ++k) {
    if (k == in.size()) return more ? Step{kWait, {}, 0} : Step{k, {}, 0};
    const auto b = static_cast<std::uint8_t>(in[k]);
    if ((b & 0xC0) != 0x80) return {k, {}, 0};
    c = (c << 6) | (b & 0x3F);
  }
  if (const auto byte = kdv::model::from_unicode(c)) return {n, {*byte}, 1};
  return {n, {}, 0};
}

}  // namespace kdv::ui
