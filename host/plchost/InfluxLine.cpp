#include "InfluxLine.h"

#include "RecordValues.h"

namespace plchost {

namespace {

// A backslash before each of `special`; line breaks, which no part may hold,
// become blanks (escaped where a blank is special).
std::string Escaped(const std::string& text, const char* special) {
  std::string escaped;
  for (char c : text) {
    if (c == '\n' || c == '\r') c = ' ';
    if (std::string(special).find(c) != std::string::npos) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string Measurement(const std::string& text) { return Escaped(text, ", "); }
std::string Key(const std::string& text) { return Escaped(text, ",= "); }

void AddTag(std::string& line, const char* key, const std::string& value) {
  if (value.empty()) return;
  line += ',';
  line += key;
  line += '=' + Key(value);
}

// The field's value as the line protocol types it; empty for none.
std::string FieldValue(const TCell& cell) {
  switch (cell.Kind) {
    case TCell::TKind::Integer:
      return cell.Text + "i";
    case TCell::TKind::Number:
      return IsNonFinite(cell) ? std::string() : cell.Text;
    case TCell::TKind::Boolean:
      return cell.Text;
    case TCell::TKind::Text:
      return "\"" + Escaped(cell.Text, "\"\\") + "\"";
    default:
      return {};
  }
}

}  // namespace

std::string InfluxLine(const TDeliveredRecord& record) {
  std::string fields;
  for (const TNamedCell& value : ShownValues(record)) {
    const std::string text = FieldValue(value.Cell);
    if (text.empty()) continue;
    fields += (fields.empty() ? "" : ",") + Key(value.Name) + "=" + text;
  }
  if (fields.empty()) return {};
  std::string line = Measurement(CaptionOf(record));
  AddTag(line, "source", SourceNameOf(record));
  AddTag(line, "area", AreaNameOf(record));
  AddTag(line, "block", BlockOf(record));
  return line + ' ' + fields + ' ' + std::to_string(record.UnixNs);
}

void TInfluxWriter::Write(const TDeliveredRecord& record) {
  const std::string line = InfluxLine(record);
  if (!line.empty()) FOut << line << '\n' << std::flush;
}

}  // namespace plchost
