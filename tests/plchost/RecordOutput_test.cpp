#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "RecordColumns.h"
#include "RecordFormat.h"
#include "ValueText.h"

// Records written as CSV and JSON lines must read back as they were.

namespace {

using plchost::TCell;
using plchost::TColumn;

// RFC 4180 records: quoted fields may hold commas, quotes and line breaks.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    std::string& field = rows.back().back();
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\n') {
      rows.emplace_back(1);
    } else {
      field += c;
    }
  }
  if (rows.back() == std::vector<std::string>(1)) rows.pop_back();
  return rows;
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// A flat JSON object of one line: key -> the value's text ("null", numbers
// and Booleans as written, strings unescaped and marked by a leading '=').
std::map<std::string, std::string> ParseJsonLine(const std::string& line) {
  std::map<std::string, std::string> object;
  size_t i = 0;
  auto expect = [&](char c) {
    if (i >= line.size() || line[i] != c)
      throw std::runtime_error("bad JSON at " + std::to_string(i));
    ++i;
  };
  auto string = [&] {
    expect('"');
    std::string text;
    while (line.at(i) != '"') {
      const char c = line[i++];
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control character");
      if (c != '\\') {
        text += c;
        continue;
      }
      const char e = line.at(i++);
      const std::map<char, char> simple = {{'"', '"'},  {'\\', '\\'}, {'/', '/'},  {'n', '\n'},
                                           {'r', '\r'}, {'t', '\t'},  {'b', '\b'}, {'f', '\f'}};
      if (e == 'u') {
        AppendUtf8(text, static_cast<unsigned>(std::stoul(line.substr(i, 4), nullptr, 16)));
        i += 4;
      } else {
        text += simple.at(e);
      }
    }
    ++i;
    return text;
  };
  expect('{');
  while (line.at(i) != '}') {
    if (!object.empty()) expect(',');
    const std::string key = string();
    expect(':');
    if (line.at(i) == '"') {
      object[key] = "=" + string();
    } else {
      const size_t end = line.find_first_of(",}", i);
      object[key] = line.substr(i, end - i);
      i = end;
    }
  }
  expect('}');
  if (i != line.size()) throw std::runtime_error("text after the object");
  return object;
}

const std::vector<std::string> kNastyTexts = {"plain",
                                              "",
                                              "comma, inside",
                                              "quote \" inside",
                                              "\"quoted\"",
                                              "line\nbreak",
                                              "cr\r\nlf",
                                              " leading",
                                              "trailing ",
                                              "tab\there",
                                              "bell\x07",
                                              "back\\slash",
                                              "umlaut \xC3\xA4\xE2\x82\xAC",
                                              "{\"json\":1}"};

std::vector<TColumn> Columns(size_t count) {
  std::vector<TColumn> columns;
  for (size_t i = 0; i < count; ++i) {
    columns.push_back({"C" + std::to_string(i), "C" + std::to_string(i) + ",\"x\"", false});
  }
  return columns;
}

TEST(PlchostRecordOutput, CsvReadsBackEveryText) {
  std::vector<TCell> cells;
  for (const std::string& text : kNastyTexts) cells.push_back({TCell::TKind::Text, text});
  const std::vector<TColumn> columns = Columns(cells.size());
  std::ostringstream out;
  auto writer = plchost::MakeRecordWriter(plchost::TOutputFormat::Csv, out, columns);
  writer->Write(cells);
  writer->Write(cells);

  const auto rows = ParseCsv(out.str());
  ASSERT_EQ(rows.size(), 3u) << out.str();
  for (size_t i = 0; i < columns.size(); ++i) EXPECT_EQ(rows[0][i], columns[i].Title);
  for (size_t row = 1; row < 3; ++row) {
    ASSERT_EQ(rows[row].size(), kNastyTexts.size());
    for (size_t i = 0; i < kNastyTexts.size(); ++i) EXPECT_EQ(rows[row][i], kNastyTexts[i]);
  }
}

TEST(PlchostRecordOutput, JsonLinesReadBackEveryValue) {
  std::vector<TCell> cells;
  for (const std::string& text : kNastyTexts) cells.push_back({TCell::TKind::Text, text});
  cells.push_back({TCell::TKind::Integer, "-42"});
  cells.push_back({TCell::TKind::Number, "2.5e-07"});
  cells.push_back({TCell::TKind::Boolean, "true"});
  cells.push_back({});
  const std::vector<TColumn> columns = Columns(cells.size());
  std::ostringstream out;
  plchost::MakeRecordWriter(plchost::TOutputFormat::Json, out, columns)->Write(cells);

  const std::string text = out.str();
  ASSERT_EQ(text.back(), '\n');
  ASSERT_EQ(text.find('\n'), text.size() - 1) << "one line per record";
  const auto object = ParseJsonLine(text.substr(0, text.size() - 1));
  ASSERT_EQ(object.size(), cells.size());
  for (size_t i = 0; i < kNastyTexts.size(); ++i) {
    EXPECT_EQ(object.at(columns[i].Title), "=" + kNastyTexts[i]);
  }
  const size_t n = kNastyTexts.size();
  EXPECT_EQ(object.at(columns[n].Title), "-42");
  EXPECT_EQ(std::strtod(object.at(columns[n + 1].Title).c_str(), nullptr), 2.5e-07);
  EXPECT_EQ(object.at(columns[n + 2].Title), "true");
  EXPECT_EQ(object.at(columns[n + 3].Title), "null");
}

TEST(PlchostRecordOutput, WideTableAlignsRowsAndKeepsThemOnOneLine) {
  const std::vector<TColumn> columns = {{"NAME", "NAME", false}, {"VALUE", "VALUE", false}};
  std::ostringstream out;
  auto writer = plchost::MakeRecordWriter(plchost::TOutputFormat::Wide, out, columns);
  writer->Write({{TCell::TKind::Text, "a\nb"}, {TCell::TKind::Integer, "7"}});
  writer->Write({{TCell::TKind::Text, "\xC3\xA4"}, {TCell::TKind::Integer, "12345"}});
  EXPECT_EQ(out.str(),
            "NAME  VALUE\n"
            "a b       7\n"
            "\xC3\xA4     12345\n");
}

TEST(PlchostRecordOutput, ValuesBecomeCellsThatReadBack) {
  using Kind = TCell::TKind;
  auto cell = [](const TVariant& value) { return plchost::CellOf(value); };
  EXPECT_EQ(cell(TVariant::OfI4(-5)).Text, "-5");
  EXPECT_EQ(cell(TVariant::OfUI4(4000000000u)).Kind, Kind::Integer);
  EXPECT_EQ(cell(TVariant::OfR8(0.1)).Text, "0.1");
  EXPECT_EQ(std::strtod(cell(TVariant::OfR8(1.0 / 3)).Text.c_str(), nullptr), 1.0 / 3);
  EXPECT_EQ(cell(TVariant::OfR4(1.5f)).Text, "1.5");
  EXPECT_EQ(cell(TVariant::OfCy(-12345)).Text, "-1.2345");
  EXPECT_EQ(cell(TVariant::OfCy(20000)).Text, "2");
  EXPECT_EQ(cell(TVariant::OfBool(true)).Text, "true");
  EXPECT_EQ(cell(TVariant()).Kind, Kind::Null);
  EXPECT_EQ(cell(TVariant::Null()).Kind, Kind::Null);
  // Text in the system code page (Windows-1252 "ä" and the euro sign) becomes UTF-8.
  EXPECT_EQ(cell(TVariant::OfAnsi("\xE4\x80")).Text, "\xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(cell(TVariant::OfWide(u"\u00e4")).Text, "\xC3\xA4");
  EXPECT_EQ(plchost::HexCellOf(TVariant::OfAnsi(std::string("\x00\x1F\xFF", 3))).Text, "001FFF");
}

TEST(PlchostRecordOutput, DatesAreWrittenAsCalendarTime) {
  EXPECT_EQ(plchost::DateText(0), "1899-12-30 00:00:00.000");
  EXPECT_EQ(plchost::DateText(45000.5), "2023-03-15 12:00:00.000");
  EXPECT_EQ(plchost::DateText(36526.25 + 1.0 / 86400000 * 7), "2000-01-01 06:00:00.007");
  EXPECT_EQ(plchost::DateText(59.0), "1900-02-27 00:00:00.000");
  EXPECT_EQ(plchost::DateText(61.0), "1900-03-01 00:00:00.000");
  EXPECT_EQ(plchost::DateText(-1.25), "1899-12-29 06:00:00.000");
  // A time that rounds up to midnight belongs to the next day.
  EXPECT_EQ(plchost::DateText(1.9999999999), "1900-01-01 00:00:00.000");
  EXPECT_EQ(plchost::DateText(1e9), "");
}

TEST(PlchostRecordOutput, ColumnsComeFromTheParserItems) {
  const std::string items =
      "Full packet|FULL_DATA_PACKET|String|\r\nData packet|DATA_PACKET|String|\r\n"
      "Time|DATE_TIME_STAMP|DateTime|\r\nMemory area|AREA|Integer|\r\n"
      "R|TEMP|Undefined|0\r\nR (P0)|P0|Undefined|0\r\nR (P1)|P1|Undefined|0\r\n"
      "R|AREA|Integer|\r\n";
  const plchost::TRecordColumns plain(items, false);
  std::vector<std::string> names;
  for (const TColumn& column : plain.Columns()) names.push_back(column.Name);
  EXPECT_EQ(names, (std::vector<std::string>{"DATE_TIME_STAMP", "AREA", "TEMP", "P0", "P1"}));

  // A single counted value is delivered with its counter; P1 stays P1.
  host::TDataRecord record;
  record.Values = {{"AREA", TVariant::OfI4(132)},
                   {"TEMP0", TVariant::OfI4(21)},
                   {"P1", TVariant::OfI4(2)},
                   {"$NEW_ROW$", TVariant(), true}};
  const std::vector<TCell> cells = plain.CellsOf(record);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0].Kind, TCell::TKind::Null);
  EXPECT_EQ(cells[1].Text, "132");
  EXPECT_EQ(cells[2].Text, "21");
  EXPECT_EQ(cells[3].Kind, TCell::TKind::Null) << "no value P0 was delivered";
  EXPECT_EQ(cells[4].Text, "2");

  const plchost::TRecordColumns withPackets(items, true);
  ASSERT_EQ(withPackets.Columns().size(), 7u);
  EXPECT_TRUE(withPackets.Columns()[0].Hex);
  record.Values.insert(record.Values.begin(), {"FULL_DATA_PACKET", TVariant::OfAnsi("\x01\xAB")});
  EXPECT_EQ(withPackets.CellsOf(record)[0].Text, "01AB");
}

}  // namespace
