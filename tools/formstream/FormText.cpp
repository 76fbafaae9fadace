#include "FormText.h"

#include <cctype>
#include <cstdlib>

namespace {

class TFormTextReader {
 public:
  explicit TFormTextReader(const std::string& text) : FText(text) {}

  TFormObject ReadRoot() {
    TFormObject root = ReadObject();
    SkipBlanks();
    if (FPos != FText.size()) Fail("text after the last \"end\"");
    return root;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EFormText("line " + std::to_string(FLine) + ": " + what);
  }

  void SkipBlanks() {
    while (FPos < FText.size() && std::isspace(static_cast<unsigned char>(FText[FPos]))) {
      if (FText[FPos] == '\n') ++FLine;
      ++FPos;
    }
  }

  char Peek() {
    SkipBlanks();
    return FPos < FText.size() ? FText[FPos] : '\0';
  }

  void Expect(char symbol) {
    if (Peek() != symbol) Fail(std::string("\"") + symbol + "\" expected");
    ++FPos;
  }

  static bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
  }

  std::string Word() {
    SkipBlanks();
    const size_t start = FPos;
    while (FPos < FText.size() && IsWordChar(FText[FPos])) ++FPos;
    if (FPos == start) Fail("a name expected");
    return FText.substr(start, FPos - start);
  }

  TFormObject ReadObject() {
    if (Word() != "object") Fail("\"object\" expected");
    TFormObject object;
    object.Name = Word();
    Expect(':');
    object.ClassName = Word();
    for (;;) {
      const size_t mark = FPos;
      const size_t markLine = FLine;
      const std::string word = Word();
      if (word == "end") return object;
      if (word == "object") {
        FPos = mark;
        FLine = markLine;
        object.Children.push_back(ReadObject());
        continue;
      }
      if (!object.Children.empty()) Fail("property after a nested object");
      Expect('=');
      object.Properties.push_back({word, ReadValue()});
    }
  }

  TFormValue ReadValue() {
    const char first = Peek();
    if (first == '\'') return StringValue(QuotedString());
    if (first == '[') return ListValue(TFormValueKind::Set, '[', ']', true);
    if (first == '(') return ListValue(TFormValueKind::List, '(', ')', false);
    if (first == '-' || std::isdigit(static_cast<unsigned char>(first))) return NumberValue();
    const std::string word = Word();
    TFormValue value;
    if (word == "True" || word == "False") {
      value.Kind = TFormValueKind::Boolean;
      value.Boolean = word == "True";
    } else {
      value.Kind = TFormValueKind::Ident;
      value.Text = word;
    }
    return value;
  }

  static TFormValue StringValue(std::string text) {
    TFormValue value;
    value.Kind = TFormValueKind::String;
    value.Text = std::move(text);
    return value;
  }

  std::string QuotedString() {
    Expect('\'');
    std::string text;
    for (;;) {
      if (FPos >= FText.size() || FText[FPos] == '\n') Fail("unterminated string");
      const char c = FText[FPos++];
      if (c != '\'') {
        text.push_back(c);
      } else if (FPos < FText.size() && FText[FPos] == '\'') {
        text.push_back('\'');
        ++FPos;
      } else {
        return text;
      }
    }
  }

  TFormValue ListValue(TFormValueKind kind, char open, char close, bool names) {
    Expect(open);
    TFormValue value;
    value.Kind = kind;
    while (Peek() != close) {
      if (!value.Items.empty() && names) Expect(',');
      value.Items.push_back(names ? Word() : QuotedString());
    }
    ++FPos;
    return value;
  }

  TFormValue NumberValue() {
    SkipBlanks();
    const size_t start = FPos;
    if (FText[FPos] == '-') ++FPos;
    while (FPos < FText.size() &&
           (std::isdigit(static_cast<unsigned char>(FText[FPos])) || FText[FPos] == '.')) {
      ++FPos;
    }
    const std::string number = FText.substr(start, FPos - start);
    TFormValue value;
    char* end = nullptr;
    if (number.find('.') != std::string::npos) {
      value.Kind = TFormValueKind::Float;
      value.Float = std::strtod(number.c_str(), &end);
    } else {
      value.Integer = std::strtoll(number.c_str(), &end, 10);
    }
    if (end == nullptr || *end != '\0' || number == "-") Fail("bad number \"" + number + "\"");
    return value;
  }

  const std::string& FText;
  size_t FPos = 0;
  size_t FLine = 1;
};

}  // namespace

TFormObject ParseFormText(const std::string& text) { return TFormTextReader(text).ReadRoot(); }
