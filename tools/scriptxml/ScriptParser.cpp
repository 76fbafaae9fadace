#include "ScriptParser.h"

#include <utility>
#include <vector>

namespace {

const char* const kOperators[] = {"+", "-", "*", "/", "=", "<>", "<", ">", "<=", ">="};
const char* const kWordOperators[] = {"and", "or", "xor", "not", "div", "mod"};

class TScriptParser {
 public:
  explicit TScriptParser(std::vector<TToken> tokens) : FTokens(std::move(tokens)) {}

  TXmlElement Program() {
    TXmlElement program{"program", {}, {}};
    if (Current().Is("program")) {
      Next();
      Word();
      Expect(";");
    }
    for (;;) {
      if (Current().Is("var")) {
        Variables(program);
      } else if (Current().Is("const")) {
        Constants(program);
      } else if (Current().Is("procedure")) {
        program.Add(Procedure());
      } else {
        break;
      }
    }
    program.Add(Compound());
    Expect(".");
    if (Current().Kind != TTokenKind::End) Fail("text after the program's end");
    program.Add(TXmlElement{"types", {}, {}});
    return program;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EScriptSyntax(Current().Place() + ": " + what);
  }

  const TToken& Current() const { return FTokens[FIndex]; }
  const TToken& Next() {
    const TToken& token = FTokens[FIndex];
    if (token.Kind != TTokenKind::End) ++FIndex;
    return token;
  }

  const TToken& Expect(const char* symbol) {
    if (!Current().IsSymbol(symbol)) Fail(std::string("\"") + symbol + "\" expected");
    return Next();
  }
  const TToken& ExpectWord(const char* word) {
    if (!Current().Is(word)) Fail(std::string("\"") + word + "\" expected");
    return Next();
  }
  const TToken& Word() {
    if (Current().Kind != TTokenKind::Word) Fail("a name expected");
    return Next();
  }

  static TXmlElement At(const char* name, const TToken& token) {
    TXmlElement element{name, {}, {}};
    element.Attribute("pos", token.Place());
    return element;
  }
  static TXmlElement Named(const char* name, const TToken& token) {
    TXmlElement element{name, {}, {}};
    element.Attribute("text", token.Text).Attribute("pos", token.Place());
    return element;
  }

  bool StartsDeclarationLine() const {
    static const char* const kEnds[] = {"var", "const", "procedure", "begin"};
    if (Current().Kind != TTokenKind::Word) return false;
    for (const char* word : kEnds) {
      if (Current().Is(word)) return false;
    }
    return true;
  }

  // "a, b: T": one "var" per name.
  void VariableGroup(TXmlElement& parent) {
    std::vector<TToken> names{Word()};
    while (Current().IsSymbol(",")) {
      Next();
      names.push_back(Word());
    }
    Expect(":");
    const TToken& type = Word();
    for (const TToken& name : names) {
      TXmlElement& variable = parent.Add(At("var", name));
      variable.Add(Named("ident", name));
      variable.Add(Named("type", type));
    }
  }

  void Variables(TXmlElement& parent) {
    ExpectWord("var");
    while (StartsDeclarationLine()) {
      VariableGroup(parent);
      Expect(";");
    }
  }

  void Constants(TXmlElement& parent) {
    ExpectWord("const");
    while (StartsDeclarationLine()) {
      const TToken& name = Word();
      TXmlElement& constant = parent.Add(At("const", name));
      constant.Add(Named("ident", name));
      Expect("=");
      constant.Add(Expression());
      Expect(";");
    }
  }

  TXmlElement Procedure() {
    TXmlElement procedure = At("procedure", ExpectWord("procedure"));
    const TToken& name = Word();
    procedure.Add(Named("name", name));
    TXmlElement& parameters = procedure.Add(At("parameters", Current()));
    if (Current().IsSymbol("(")) {
      Next();
      VariableGroup(parameters);
      while (Current().IsSymbol(";")) {
        Next();
        VariableGroup(parameters);
      }
      Expect(")");
    }
    Expect(";");
    while (Current().Is("var")) Variables(procedure);
    procedure.Add(Compound());
    Expect(";");
    return procedure;
  }

  TXmlElement Compound() {
    TXmlElement compound = At("compoundstmt", ExpectWord("begin"));
    for (;;) {
      if (Current().Is("end")) break;
      if (Current().IsSymbol(";")) {
        Next();
        continue;
      }
      compound.Add(Statement());
      if (!Current().Is("end")) Expect(";");
    }
    Next();
    return compound;
  }

  TXmlElement Statement() {
    if (Current().Is("begin")) return Compound();
    if (Current().Is("if")) return If();
    const TToken& start = Current();
    TXmlElement designator = Designator();
    if (!Current().IsSymbol(":=")) {
      TXmlElement call = At("callstmt", start);
      call.Add(std::move(designator));
      return call;
    }
    Next();
    TXmlElement assignment = At("assignstmt", start);
    assignment.Add(std::move(designator));
    assignment.Add(Expression());
    return assignment;
  }

  TXmlElement If() {
    TXmlElement statement = At("ifstmt", ExpectWord("if"));
    statement.Add(Expression());
    statement.Add(At("thenstmt", ExpectWord("then"))).Add(Statement());
    if (Current().Is("else")) statement.Add(At("elsestmt", Next())).Add(Statement());
    return statement;
  }

  // name{.name | (arguments)}, optionally preceded by "@".
  TXmlElement Designator() {
    TXmlElement designator = At("dsgn", Current());
    if (Current().IsSymbol("@")) designator.Add(Named("addr", Next()));
    designator.Add(Named("node", Word()));
    for (;;) {
      if (Current().IsSymbol(".")) {
        Next();
        designator.Add(Named("node", Word()));
      } else if (Current().IsSymbol("(")) {
        Next();
        designator.Add(Expression());
        while (Current().IsSymbol(",")) {
          Next();
          designator.Add(Expression());
        }
        Expect(")");
      } else {
        return designator;
      }
    }
  }

  bool AtOperator() const {
    for (const char* symbol : kOperators) {
      if (Current().IsSymbol(symbol)) return true;
    }
    for (const char* word : kWordOperators) {
      if (Current().Is(word)) return true;
    }
    return false;
  }

  // Operands and operators in source order.
  TXmlElement Expression() {
    TXmlElement expression = At("expr", Current());
    bool wantOperand = true;
    while (wantOperand || AtOperator()) {
      if (AtOperator()) {
        const bool unary = Current().IsSymbol("-") || Current().Is("not");
        if (wantOperand && !unary) Fail("an operand expected");
        expression.Add(Named("op", Next()));
        wantOperand = true;
        continue;
      }
      expression.Add(Operand());
      wantOperand = false;
    }
    const TToken& last = FTokens[FIndex - 1];
    expression.Attribute("pos1",
                         std::to_string(last.EndLine) + ":" + std::to_string(last.EndColumn));
    return expression;
  }

  TXmlElement Operand() {
    const TToken& token = Current();
    if (token.Kind == TTokenKind::Number) return Named("number", Next());
    if (token.Kind == TTokenKind::String) return Named("string", Next());
    if (token.IsSymbol("(")) {
      Next();
      TXmlElement inner = Expression();
      Expect(")");
      return inner;
    }
    if (token.IsSymbol("[")) return Set();
    if (token.Kind == TTokenKind::Word || token.IsSymbol("@")) return Designator();
    Fail("an operand expected");
  }

  TXmlElement Set() {
    TXmlElement set = At("set", Expect("["));
    while (!Current().IsSymbol("]")) {
      if (!set.Children.empty()) Expect(",");
      set.Add(Expression());
    }
    Next();
    return set;
  }

  std::vector<TToken> FTokens;
  size_t FIndex = 0;
};

}  // namespace

TXmlElement ParseScript(const std::string& source) {
  return TScriptParser(TokenizeScript(source)).Program();
}
