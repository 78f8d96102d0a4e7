// The shape of a document, checked before the TOML parser sees it: its size,
// the length of its lines and how deep its keys nest. The parser descends
// once per level of a dotted key, so a long enough key would exhaust the
// stack; no real configuration comes near these limits.
//
// The scan follows TOML's structure only as far as nesting needs: table
// headers, dotted keys, inline tables, arrays, and strings and comments
// that may hold anything. What it cannot follow is a syntax error the parser
// reports at the same place or earlier, so the scan stops there quietly.
#include <algorithm>
#include <optional>
#include <string>

#include "files/text_format.h"

namespace kdv::files {

namespace {

bool is_bare_key_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// What went wrong in the scan: a limit passed (a finding), or TOML the scan
// does not follow (left to the parser).
struct Stop {
  std::optional<Finding> finding;
};

class NestingScan {
 public:
  explicit NestingScan(std::string_view text) : text_(text) {}

  std::optional<Finding> run() {
    try {
      document();
    } catch (const Stop& stop) {
      return stop.finding;
    }
    return std::nullopt;
  }

 private:
  bool at_end() const { return at_ >= text_.size(); }
  char peek(std::size_t ahead = 0) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }
  bool looking_at(std::string_view s) const { return text_.substr(at_, s.size()) == s; }
  void advance() {
    if (at_end()) return;
    if (text_[at_] == '\n') ++line_;
    ++at_;
  }
  [[noreturn]] static void unfollowed() { throw Stop{}; }
  void expect(char c) {
    if (at_end() || peek() != c) unfollowed();
    advance();
  }

  void blanks() {
    while (peek() == ' ' || peek() == '\t') advance();
  }
  // Blanks, line ends and comments, as between the values of an array.
  void blanks_and_lines() {
    for (;;) {
      blanks();
      if (peek() == '#') {
        while (!at_end() && peek() != '\n') advance();
      } else if (peek() == '\n' || peek() == '\r') {
        advance();
      } else {
        return;
      }
    }
  }
  // The rest of a statement's line: blanks, a comment, the line end.
  void end_of_statement() {
    blanks();
    if (peek() == '#')
      while (!at_end() && peek() != '\n') advance();
    if (peek() == '\r') advance();
    if (!at_end()) expect('\n');
  }

  void deep_enough(int depth) const {
    if (depth > kDocumentKeyDepthLimit)
      throw Stop{Finding{Finding::Severity::kError, line_, "",
                         "a key or value nested more than " + std::to_string(kDocumentKeyDepthLimit) +
                             " levels deep; a document nests at most " + std::to_string(kDocumentKeyDepthLimit) +
                             " levels"}};
  }

  // A one-line string from its opening quote; a basic string's escapes are
  // skipped whole.
  void short_string(char quote) {
    advance();
    while (!at_end() && peek() != quote) {
      if (peek() == '\n') unfollowed();
      if (quote == '"' && peek() == '\\') advance();
      advance();
    }
    expect(quote);
  }
  // A multi-line string from its opening triple quote, with up to two
  // quotes of its text right before the closing three.
  void long_string(char quote) {
    const std::string fence(3, quote);
    for (int i = 0; i < 3; ++i) advance();
    while (!at_end() && !looking_at(fence)) {
      if (quote == '"' && peek() == '\\') advance();
      advance();
    }
    if (at_end()) unfollowed();
    for (int i = 0; i < 3; ++i) advance();
    for (int i = 0; i < 2 && peek() == quote; ++i) advance();
  }

  // A dotted key: the number of its parts.
  int key() {
    int parts = 0;
    for (;;) {
      blanks();
      if (peek() == '"' || peek() == '\'') {
        short_string(peek());
      } else if (!at_end() && is_bare_key_char(peek())) {
        while (!at_end() && is_bare_key_char(peek())) advance();
      } else {
        unfollowed();
      }
      ++parts;
      blanks();
      if (peek() != '.') return parts;
      advance();
    }
  }

  // "key = value" at the depth of the table it is in.
  void key_value(int table_depth) {
    const int depth = table_depth + key();
    deep_enough(depth);
    blanks();
    expect('=');
    blanks();
    value(depth);
  }

  // A value whose key is `depth` deep: an array's items lie one deeper, an
  // inline table's keys add their own parts.
  void value(int depth) {
    const char c = peek();
    if (c == '"' || c == '\'') {
      if (looking_at(std::string(3, c)))
        long_string(c);
      else
        short_string(c);
    } else if (c == '[') {
      advance();
      deep_enough(depth + 1);
      for (blanks_and_lines(); peek() != ']'; blanks_and_lines()) {
        value(depth + 1);
        blanks_and_lines();
        if (peek() != ',') break;
        advance();
      }
      expect(']');
    } else if (c == '{') {
      advance();
      for (blanks(); peek() != '}'; blanks()) {
        key_value(depth);
        blanks();
        if (peek() != ',') break;
        advance();
      }
      expect('}');
    } else {
      // A number, a boolean, a date or a time: nothing nests in it.
      const std::size_t from = at_;
      while (!at_end() && std::string_view(",]}#\r\n").find(peek()) == std::string_view::npos) advance();
      if (at_ == from) unfollowed();
    }
  }

  void document() {
    int table_depth = 0;
    for (blanks_and_lines(); !at_end(); blanks_and_lines()) {
      if (peek() == '[') {
        const bool array_of_tables = peek(1) == '[';
        advance();
        if (array_of_tables) advance();
        table_depth = key();
        deep_enough(table_depth);
        expect(']');
        if (array_of_tables) expect(']');
      } else {
        key_value(table_depth);
      }
      end_of_statement();
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

}  // namespace

std::optional<Finding> beyond_limits(std::string_view document) {
  if (document.size() > kDocumentBytesLimit)
    return Finding{Finding::Severity::kError, 0, "",
                   "more than " + std::to_string(kDocumentBytesLimit) + " bytes; a document holds at most " +
                       std::to_string(kDocumentBytesLimit)};
  int line = 1;
  for (std::size_t from = 0; from < document.size(); ++line) {
    const std::size_t end = std::min(document.find('\n', from), document.size());
    if (end - from > kDocumentLineBytesLimit)
      return Finding{Finding::Severity::kError, line, "",
                     "a line of " + std::to_string(end - from) + " bytes; a line holds at most " +
                         std::to_string(kDocumentLineBytesLimit)};
    from = end + 1;
  }
  return NestingScan(document).run();
}

}  // namespace kdv::files
