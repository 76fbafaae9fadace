#include "RecordFormat.h"

#include <algorithm>
#include <cstdio>

#include "TableLayout.h"

namespace plchost {

namespace {

class TTableWriter final : public IRecordWriter {
 public:
  TTableWriter(std::ostream& out, const std::vector<TColumn>& columns)
      : FOut(out), FColumns(columns) {}

  void Write(const std::vector<TCell>& cells) override {
    if (FWidths.empty()) WriteHeader(cells);
    std::string line;
    for (size_t index = 0; index < cells.size() && index < FWidths.size(); ++index) {
      AppendAligned(line, TableText(cells[index]), FWidths[index], AlignsRight(cells[index]),
                    index + 1 == cells.size());
    }
    FOut << line << '\n' << std::flush;
  }

 private:
  void WriteHeader(const std::vector<TCell>& first) {
    std::string line;
    for (size_t index = 0; index < FColumns.size(); ++index) {
      const size_t valueWidth = index < first.size() ? DisplayWidth(TableText(first[index])) : 0;
      FWidths.push_back(std::max(DisplayWidth(FColumns[index].Title), valueWidth));
      AppendAligned(line, FColumns[index].Title, FWidths.back(), false,
                    index + 1 == FColumns.size());
    }
    FOut << line << '\n';
  }

  std::ostream& FOut;
  std::vector<TColumn> FColumns;
  std::vector<size_t> FWidths;
};

class TCsvWriter final : public IRecordWriter {
 public:
  TCsvWriter(std::ostream& out, const std::vector<TColumn>& columns) : FOut(out) {
    std::string line;
    for (const TColumn& column : columns) {
      if (!line.empty()) line += ',';
      line += CsvField(column.Title);
    }
    FOut << line << '\n' << std::flush;
  }

  void Write(const std::vector<TCell>& cells) override {
    std::string line;
    for (size_t index = 0; index < cells.size(); ++index) {
      if (index > 0) line += ',';
      line += CsvField(cells[index].Text);
    }
    FOut << line << '\n' << std::flush;
  }

 private:
  std::ostream& FOut;
};

class TJsonWriter final : public IRecordWriter {
 public:
  TJsonWriter(std::ostream& out, const std::vector<TColumn>& columns)
      : FOut(out), FColumns(columns) {}

  void Write(const std::vector<TCell>& cells) override {
    std::string line = "{";
    for (size_t index = 0; index < cells.size() && index < FColumns.size(); ++index) {
      if (index > 0) line += ',';
      line += JsonString(FColumns[index].Title);
      line += ':';
      line += JsonValue(cells[index]);
    }
    FOut << line << "}\n" << std::flush;
  }

 private:
  std::ostream& FOut;
  std::vector<TColumn> FColumns;
};

}  // namespace

std::unique_ptr<IRecordWriter> MakeRecordWriter(TOutputFormat format, std::ostream& out,
                                                const std::vector<TColumn>& columns) {
  switch (format) {
    case TOutputFormat::Csv:
      return std::make_unique<TCsvWriter>(out, columns);
    case TOutputFormat::Json:
      return std::make_unique<TJsonWriter>(out, columns);
    default:
      return std::make_unique<TTableWriter>(out, columns);
  }
}

std::string CsvField(const std::string& text) {
  const bool quoted = text.find_first_of(",\"\r\n") != std::string::npos ||
                      (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quoted) return text;
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + '"';
}

std::string JsonValue(const TCell& cell) {
  if (cell.Kind == TCell::TKind::Null || IsNonFinite(cell)) return "null";
  return cell.Kind == TCell::TKind::Text ? JsonString(cell.Text) : cell.Text;
}

std::string JsonString(const std::string& text) {
  std::string literal = "\"";
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      literal += '\\';
      literal += c;
    } else if (c == '\n') {
      literal += "\\n";
    } else if (c == '\r') {
      literal += "\\r";
    } else if (c == '\t') {
      literal += "\\t";
    } else if (code < 0x20 || code == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", code);
      literal += escape;
    } else {
      literal += c;
    }
  }
  return literal + '"';
}

}  // namespace plchost
