// Tokens of a resource script: names, numbers, quoted strings and punctuation;
// comments and white space are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class TokenKind { kEnd, kName, kNumber, kString, kPunct, kError };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;         // the name, the string's value, the punctuation or the error
  std::uint32_t value = 0;  // kNumber
  int line = 1;
};

class ResourceScriptLexer {
 public:
  explicit ResourceScriptLexer(std::string_view text) : text_(text) {}
  Token Next();

 private:
  void SkipSpaceAndComments();
  Token Number();
  Token String();

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace platform
