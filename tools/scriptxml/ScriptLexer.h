#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A script that cannot be read; the message names line and column.
class EScriptSyntax : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TTokenKind { Word, Number, String, Symbol, End };

// A token of the script source with its place: line and column (from 1) of its
// first character and of the character after it.
struct TToken {
  TTokenKind Kind = TTokenKind::End;
  std::string Text;  // a string keeps its quotes and doubled quotes
  int Line = 0;
  int Column = 0;
  int EndLine = 0;
  int EndColumn = 0;

  // A word compared without regard to ASCII case, as the language does.
  bool Is(const char* word) const;
  bool IsSymbol(const char* symbol) const { return Kind == TTokenKind::Symbol && Text == symbol; }
  std::string Place() const { return std::to_string(Line) + ":" + std::to_string(Column); }
};

// Splits script source into tokens; comments ({...}, (*...*), //...) and
// blanks are skipped.
std::vector<TToken> TokenizeScript(const std::string& source);
