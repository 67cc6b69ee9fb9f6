#include "platform/resource_script_lexer.h"

#include <cctype>

namespace platform {
namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

Token Make(TokenKind kind, std::string text, int line) {
  Token t;
  t.kind = kind;
  t.text = std::move(text);
  t.line = line;
  return t;
}

}  // namespace

void ResourceScriptLexer::SkipSpaceAndComments() {
  while (pos_ < text_.size()) {
    char c = text_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      ++pos_;
    } else if (text_.substr(pos_, 2) == "//") {
      while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
    } else if (text_.substr(pos_, 2) == "/*") {
      pos_ += 2;
      while (pos_ < text_.size() && text_.substr(pos_, 2) != "*/") {
        if (text_[pos_] == '\n') ++line_;
        ++pos_;
      }
      pos_ = pos_ < text_.size() ? pos_ + 2 : pos_;
    } else {
      return;
    }
  }
}

Token ResourceScriptLexer::Next() {
  SkipSpaceAndComments();
  if (pos_ >= text_.size()) return Make(TokenKind::kEnd, "end of text", line_);
  char c = text_[pos_];
  if (std::isdigit(static_cast<unsigned char>(c))) return Number();
  if (c == '"') return String();
  if (IsNameStart(c)) {
    std::size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    return Make(TokenKind::kName, std::string(text_.substr(start, pos_ - start)), line_);
  }
  ++pos_;
  if (c == ',' || c == '|' || c == '(' || c == ')' || c == '{' || c == '}' || c == '-')
    return Make(TokenKind::kPunct, std::string(1, c), line_);
  if (c == '#') return Make(TokenKind::kError, "preprocessor lines are not supported", line_);
  return Make(TokenKind::kError, "unexpected character", line_);
}

Token ResourceScriptLexer::Number() {
  std::uint64_t value = 0;
  unsigned base = 10;
  if (text_.substr(pos_, 2) == "0x" || text_.substr(pos_, 2) == "0X") {
    base = 16;
    pos_ += 2;
  }
  bool anyDigit = false;
  while (pos_ < text_.size() && std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
    char d = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
    unsigned digit = d <= '9' ? static_cast<unsigned>(d - '0') : static_cast<unsigned>(d - 'a' + 10);
    if (digit >= base) break;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) return Make(TokenKind::kError, "number too large", line_);
    anyDigit = true;
    ++pos_;
  }
  // Long and unsigned suffixes change nothing here.
  while (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l' || text_[pos_] == 'U' || text_[pos_] == 'u'))
    ++pos_;
  if (!anyDigit || (pos_ < text_.size() && IsNameChar(text_[pos_])))
    return Make(TokenKind::kError, "malformed number", line_);
  Token t = Make(TokenKind::kNumber, {}, line_);
  t.value = static_cast<std::uint32_t>(value);
  return t;
}

// A doubled quote stands for one quote; backslash escapes \n, \t, \\ and \" as
// the resource compiler reads them.
Token ResourceScriptLexer::String() {
  int startLine = line_;
  ++pos_;
  std::string value;
  while (pos_ < text_.size()) {
    char c = text_[pos_++];
    if (c == '"') {
      if (pos_ < text_.size() && text_[pos_] == '"') {
        value += '"';
        ++pos_;
        continue;
      }
      return Make(TokenKind::kString, std::move(value), startLine);
    }
    if (c == '\n') return Make(TokenKind::kError, "string runs past the end of the line", startLine);
    if (c == '\\' && pos_ < text_.size()) {
      char e = text_[pos_++];
      switch (e) {
        case 'n':
          value += '\n';
          break;
        case 't':
          value += '\t';
          break;
        case '\\':
          value += '\\';
          break;
        case '"':
          value += '"';
          break;
        default:
          return Make(TokenKind::kError, "unknown escape in string", line_);
      }
      continue;
    }
    value += c;
  }
  return Make(TokenKind::kError, "unterminated string", startLine);
}

}  // namespace platform
