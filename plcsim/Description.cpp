#include "Description.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "ValueEncoding.h"

namespace plcsim {

namespace {

constexpr size_t kMaxBlockSize = 65536;
constexpr size_t kMaxStringLength = 254;

struct Token {
  std::string text;
  bool quoted = false;
};

struct AreaName {
  const char* name;
  Area area;
};

constexpr AreaName kAreaNames[] = {
    {"i", Area::kInputs},       {"q", Area::kOutputs},       {"m", Area::kFlags},
    {"c", Area::kCounters},     {"t", Area::kTimers},        {"p", Area::kPeripheral},
    {"sm", Area::kSystemFlags}, {"ai", Area::kAnalogInputs}, {"aq", Area::kAnalogOutputs},
    {"si", Area::kSystemInfo},
};

struct TypeName {
  const char* name;
  ValueType type;
};

constexpr TypeName kTypeNames[] = {
    {"byte", ValueType::kByte},   {"word", ValueType::kWord}, {"int", ValueType::kInt},
    {"dword", ValueType::kDword}, {"dint", ValueType::kDint}, {"real", ValueType::kReal},
};

struct MotionOption {
  const char* name;
  double Motion::*field;
};

struct MotionInfo {
  const char* name;
  MotionKind kind;
  double period;  // default
  std::vector<MotionOption> options;
};

const std::vector<MotionInfo>& Motions() {
  static const std::vector<MotionInfo> motions = {
      {"const", MotionKind::kConst, 1, {}},
      {"counter",
       MotionKind::kCounter,
       1,
       {{"start", &Motion::start}, {"step", &Motion::step}, {"period", &Motion::period}}},
      {"sine",
       MotionKind::kSine,
       10,
       {{"amplitude", &Motion::amplitude},
        {"offset", &Motion::offset},
        {"period", &Motion::period}}},
      {"ramp",
       MotionKind::kRamp,
       10,
       {{"min", &Motion::min}, {"max", &Motion::max}, {"period", &Motion::period}}},
      {"toggle",
       MotionKind::kToggle,
       1,
       {{"pattern", &Motion::pattern}, {"period", &Motion::period}}},
      {"text", MotionKind::kText, 1, {{"period", &Motion::period}}},
  };
  return motions;
}

std::vector<Token> Tokenize(const std::string& line) {
  std::vector<Token> tokens;
  size_t at = 0;
  for (;;) {
    at = line.find_first_not_of(" \t\r", at);
    if (at == std::string::npos || line[at] == '#') {
      return tokens;
    }
    if (line[at] == '"') {
      const size_t end = line.find('"', at + 1);
      if (end == std::string::npos) {
        throw DescriptionError("text without its closing quote");
      }
      tokens.push_back({line.substr(at + 1, end - at - 1), true});
      at = end + 1;
    } else {
      const size_t end = line.find_first_of(" \t\r#\"", at);
      tokens.push_back({line.substr(at, end - at), false});
      at = end;
    }
  }
}

// Reads the words of one statement in order; every complaint names what was expected.
class Statement {
 public:
  explicit Statement(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool AtEnd() const { return next_ >= tokens_.size(); }
  const Token* Peek() const { return AtEnd() ? nullptr : &tokens_[next_]; }

  std::string Word(const char* what) {
    if (AtEnd()) {
      throw DescriptionError(std::string("missing ") + what);
    }
    return tokens_[next_++].text;
  }

  void Keyword(const char* keyword) {
    const std::string word = Word(keyword);
    if (word != keyword) {
      throw DescriptionError("expected \"" + std::string(keyword) + "\", found \"" + word + "\"");
    }
  }

  double Number(const char* what) {
    const std::string word = Word(what);
    char* end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value)) {
      throw DescriptionError(std::string(what) + " is not a number: \"" + word + "\"");
    }
    return value;
  }

  size_t Count(const char* what, size_t max) {
    const double value = Number(what);
    if (value < 0 || value > static_cast<double>(max) || value != std::floor(value)) {
      throw DescriptionError(std::string(what) + " must be a whole number from 0 to " +
                             std::to_string(max));
    }
    return static_cast<size_t>(value);
  }

  void End() {
    if (!AtEnd()) {
      throw DescriptionError("unexpected \"" + tokens_[next_].text + "\"");
    }
  }

 private:
  std::vector<Token> tokens_;
  size_t next_ = 0;
};

BlockId ParseBlockName(const std::string& name) {
  for (const AreaName& known : kAreaNames) {
    if (name == known.name) {
      return {known.area, 0};
    }
  }
  if (name.size() > 2 && name.compare(0, 2, "db") == 0 &&
      name.find_first_not_of("0123456789", 2) == std::string::npos) {
    const unsigned long number = std::strtoul(name.c_str() + 2, nullptr, 10);
    if (number >= 1 && number <= 65535) {
      return {Area::kDataBlocks, static_cast<uint16_t>(number)};
    }
  }
  throw DescriptionError("unknown area \"" + name +
                         "\"; expected i, q, m, c, t, p, sm, ai, aq, si or db1 to db65535");
}

class Parser {
 public:
  void ParseLine(const std::string& line) {
    Statement statement(Tokenize(line));
    if (statement.AtEnd()) {
      return;
    }
    const std::string keyword = statement.Word("statement");
    if (keyword == "area") {
      ParseArea(statement);
    } else if (keyword == "bytes") {
      ParseBytes(statement);
    } else if (keyword == "value") {
      ParseValue(statement);
    } else {
      throw DescriptionError("unknown statement \"" + keyword +
                             "\"; expected area, bytes or value");
    }
    statement.End();
  }

  Description Result() { return std::move(result_); }

 private:
  void ParseArea(Statement& statement) {
    AreaDeclaration declared;
    declared.block = ParseBlockName(statement.Word("area name"));
    if (sizes_.count(declared.block) != 0) {
      throw DescriptionError("area declared twice");
    }
    statement.Keyword("size");
    declared.size = statement.Count("size", kMaxBlockSize);
    if (!statement.AtEnd()) {
      statement.Keyword("fill");
      const Token* fill = statement.Peek();
      if (fill != nullptr && fill->text == "sequence") {
        statement.Word("fill");
        declared.sequence = true;
      } else {
        declared.fill = static_cast<uint8_t>(statement.Count("fill byte", 255));
      }
    }
    sizes_[declared.block] = declared.size;
    result_.blocks.push_back(declared);
  }

  // NAME.OFFSET of a declared area, with room for `size` bytes there.
  Location ParseLocation(const std::string& address) {
    const size_t dot = address.find('.');
    if (dot == std::string::npos) {
      throw DescriptionError("address \"" + address + "\" is not NAME.OFFSET");
    }
    Location location;
    location.block = ParseBlockName(address.substr(0, dot));
    if (sizes_.count(location.block) == 0) {
      throw DescriptionError("area \"" + address.substr(0, dot) + "\" is not declared");
    }
    Statement offset({{address.substr(dot + 1), false}});
    location.offset = offset.Count("offset", kMaxBlockSize);
    return location;
  }

  void CheckRoom(const Location& at, size_t size) {
    const size_t areaSize = sizes_[at.block];
    if (at.offset > areaSize || size > areaSize - at.offset) {
      throw DescriptionError(std::to_string(size) + " bytes at offset " +
                             std::to_string(at.offset) + " do not fit the area's " +
                             std::to_string(areaSize) + " bytes");
    }
  }

  void ParseBytes(Statement& statement) {
    StaticBytes bytes;
    bytes.at = ParseLocation(statement.Word("address"));
    while (!statement.AtEnd()) {
      const std::string hex = statement.Word("byte");
      char* end = nullptr;
      const unsigned long value = std::strtoul(hex.c_str(), &end, 16);
      if (hex.empty() || hex.size() > 2 || *end != '\0') {
        throw DescriptionError("not a hexadecimal byte: \"" + hex + "\"");
      }
      bytes.bytes.push_back(static_cast<uint8_t>(value));
    }
    CheckRoom(bytes.at, bytes.bytes.size());
    result_.bytes.push_back(std::move(bytes));
  }

  static void ParseType(Statement& statement, AnimatedValue& value) {
    const std::string word = statement.Word("type");
    for (const TypeName& known : kTypeNames) {
      if (word == known.name) {
        value.type = known.type;
        return;
      }
    }
    const std::string prefix = "string[";
    if (word.compare(0, prefix.size(), prefix) == 0 && word.back() == ']') {
      Statement length({{word.substr(prefix.size(), word.size() - prefix.size() - 1), false}});
      value.type = ValueType::kString;
      value.stringLength = length.Count("string length", kMaxStringLength);
      return;
    }
    throw DescriptionError("unknown type \"" + word +
                           "\"; expected byte, word, int, dword, dint, real or string[N]");
  }

  static const MotionInfo& FindMotion(const std::string& name) {
    for (const MotionInfo& info : Motions()) {
      if (name == info.name) {
        return info;
      }
    }
    throw DescriptionError("unknown motion \"" + name +
                           "\"; expected const, counter, sine, ramp, toggle or text");
  }

  static void ParseOption(Statement& statement, const MotionInfo& info, Motion& motion) {
    const std::string name = statement.Word("option");
    for (const MotionOption& option : info.options) {
      if (name == option.name) {
        motion.*option.field = statement.Number(option.name);
        return;
      }
    }
    std::string known;
    for (const MotionOption& option : info.options) {
      known += known.empty() ? option.name : std::string(", ") + option.name;
    }
    throw DescriptionError("unknown option \"" + name + "\" for " + info.name +
                           (known.empty() ? "" : "; expected " + known));
  }

  static void ParseTexts(Statement& statement, const AnimatedValue& value, Motion& motion) {
    while (statement.Peek() != nullptr && statement.Peek()->quoted) {
      const std::string text = statement.Word("text");
      if (text.size() > value.stringLength) {
        throw DescriptionError("text \"" + text + "\" is longer than the string's " +
                               std::to_string(value.stringLength) + " characters");
      }
      motion.texts.push_back(text);
    }
    if (motion.texts.empty()) {
      throw DescriptionError("missing text in double quotes");
    }
  }

  static void ParseMotion(Statement& statement, AnimatedValue& value) {
    const MotionInfo& info = FindMotion(statement.Word("motion"));
    Motion& motion = value.motion;
    motion.kind = info.kind;
    motion.period = info.period;
    const bool isString = value.type == ValueType::kString;
    if (isString != (info.kind == MotionKind::kText)) {
      throw DescriptionError(isString ? "a string takes the motion text"
                                      : "only a string takes the motion text");
    }
    if (info.kind == MotionKind::kToggle && value.type == ValueType::kReal) {
      throw DescriptionError("a real cannot toggle bits");
    }
    if (info.kind == MotionKind::kConst) {
      motion.value = statement.Number("value");
    } else if (info.kind == MotionKind::kText) {
      ParseTexts(statement, value, motion);
    }
    while (!statement.AtEnd()) {
      ParseOption(statement, info, motion);
    }
    if (motion.period <= 0) {
      throw DescriptionError("period must be above 0");
    }
    if (motion.pattern < 0 || motion.pattern > 4294967295.0 ||
        motion.pattern != std::floor(motion.pattern)) {
      throw DescriptionError("pattern must be a whole number from 0 to 0xffffffff");
    }
  }

  void ParseValue(Statement& statement) {
    AnimatedValue value;
    value.at = ParseLocation(statement.Word("address"));
    ParseType(statement, value);
    CheckRoom(value.at, EncodedSize(value.type, value.stringLength));
    ParseMotion(statement, value);
    result_.values.push_back(std::move(value));
  }

  Description result_;
  std::map<BlockId, size_t> sizes_;
};

}  // namespace

Description ParseDescription(const std::string& text) {
  Parser parser;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    try {
      parser.ParseLine(line);
    } catch (const DescriptionError& error) {
      throw DescriptionError("line " + std::to_string(number) + ": " + error.what());
    }
  }
  return parser.Result();
}

Description ReadDescriptionFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw DescriptionError(path + ": cannot be read");
  }
  std::ostringstream text;
  text << file.rdbuf();
  try {
    return ParseDescription(text.str());
  } catch (const DescriptionError& error) {
    throw DescriptionError(path + ": " + error.what());
  }
}

}  // namespace plcsim
