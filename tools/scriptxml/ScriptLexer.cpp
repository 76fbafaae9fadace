#include "ScriptLexer.h"

#include <cctype>
#include <cstring>

bool TToken::Is(const char* word) const {
  if (Kind != TTokenKind::Word || Text.size() != std::strlen(word)) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(Text[i])) !=
        std::tolower(static_cast<unsigned char>(word[i]))) {
      return false;
    }
  }
  return true;
}

namespace {

class TScriptLexer {
 public:
  explicit TScriptLexer(const std::string& source) : FSource(source) {}

  std::vector<TToken> Tokens() {
    std::vector<TToken> tokens;
    for (;;) {
      SkipBlanksAndComments();
      TToken token;
      token.Line = FLine;
      token.Column = FColumn;
      if (FPos >= FSource.size()) {
        token.EndLine = FLine;
        token.EndColumn = FColumn;
        tokens.push_back(token);
        return tokens;
      }
      ReadToken(token);
      token.EndLine = FLine;
      token.EndColumn = FColumn;
      tokens.push_back(token);
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EScriptSyntax(std::to_string(FLine) + ":" + std::to_string(FColumn) + ": " + what);
  }

  char At(size_t offset = 0) const {
    return FPos + offset < FSource.size() ? FSource[FPos + offset] : '\0';
  }

  void Advance() {
    if (FSource[FPos] == '\n') {
      ++FLine;
      FColumn = 1;
    } else {
      ++FColumn;
    }
    ++FPos;
  }

  void SkipUntil(const char* closing) {
    const size_t length = std::strlen(closing);
    while (FSource.compare(FPos, length, closing) != 0) {
      if (FPos >= FSource.size()) Fail("unterminated comment");
      Advance();
    }
    for (size_t i = 0; i < length; ++i) Advance();
  }

  void SkipBlanksAndComments() {
    for (;;) {
      if (FPos >= FSource.size()) return;
      if (std::isspace(static_cast<unsigned char>(At()))) {
        Advance();
      } else if (At() == '{') {
        SkipUntil("}");
      } else if (At() == '(' && At(1) == '*') {
        SkipUntil("*)");
      } else if (At() == '/' && At(1) == '/') {
        while (FPos < FSource.size() && At() != '\n') Advance();
      } else {
        return;
      }
    }
  }

  static bool IsWordStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
  }
  static bool IsWordChar(char c) {
    return IsWordStart(c) || std::isdigit(static_cast<unsigned char>(c));
  }

  void Take(TToken& token, TTokenKind kind, size_t length) {
    token.Kind = kind;
    token.Text = FSource.substr(FPos, length);
    for (size_t i = 0; i < length; ++i) Advance();
  }

  size_t LengthWhile(size_t from, bool (*accept)(char)) const {
    size_t length = from;
    while (FPos + length < FSource.size() && accept(FSource[FPos + length])) ++length;
    return length;
  }

  void ReadToken(TToken& token) {
    const char c = At();
    if (IsWordStart(c)) return Take(token, TTokenKind::Word, LengthWhile(0, IsWordChar));
    if (std::isdigit(static_cast<unsigned char>(c))) {
      return Take(token, TTokenKind::Number, LengthWhile(0, [](char d) {
                    return std::isdigit(static_cast<unsigned char>(d)) != 0 || d == '.';
                  }));
    }
    if (c == '$') {
      return Take(token, TTokenKind::Number, LengthWhile(1, [](char d) {
                    return std::isxdigit(static_cast<unsigned char>(d)) != 0;
                  }));
    }
    if (c == '\'') return Take(token, TTokenKind::String, QuotedLength());
    static const char* const kPairs[] = {":=", "<>", "<=", ">="};
    for (const char* pair : kPairs) {
      if (c == pair[0] && At(1) == pair[1]) return Take(token, TTokenKind::Symbol, 2);
    }
    if (std::strchr("+-*/=<>()[],;:.@^", c) == nullptr) {
      Fail(std::string("unexpected character '") + c + "'");
    }
    Take(token, TTokenKind::Symbol, 1);
  }

  // The length of a quoted string; an embedded quote is doubled.
  size_t QuotedLength() const {
    size_t length = 1;
    for (;;) {
      const char c = At(length);
      if (c == '\0' || c == '\n') Fail("unterminated string");
      ++length;
      if (c != '\'') continue;
      if (At(length) != '\'') return length;
      ++length;
    }
  }

  const std::string& FSource;
  size_t FPos = 0;
  int FLine = 1;
  int FColumn = 1;
};

}  // namespace

std::vector<TToken> TokenizeScript(const std::string& source) {
  return TScriptLexer(source).Tokens();
}
