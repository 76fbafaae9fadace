#include "ReadableTable.h"

#include <algorithm>

#include "RecordValues.h"
#include "TableLayout.h"

namespace plchost {

namespace {

constexpr char kTimeTitle[] = "time";
constexpr char kRequestTitle[] = "request";
// "YYYY-MM-DD " before the time of day.
constexpr size_t kDateLength = 11;

struct TRow {
  std::vector<std::string> Titles;
  std::vector<TCell> Cells;
};

TRow RowOf(const TDeliveredRecord& record) {
  TRow row;
  const std::string stamp = TimeStampOf(record);
  row.Titles = {kTimeTitle, kRequestTitle};
  row.Cells = {{TCell::TKind::Text, stamp.size() > kDateLength ? stamp.substr(kDateLength) : stamp},
               {TCell::TKind::Text, CaptionOf(record)}};
  for (TNamedCell& value : ShownValues(record)) {
    row.Titles.push_back(std::move(value.Name));
    row.Cells.push_back(std::move(value.Cell));
  }
  return row;
}

// The request and its value names: a new one starts a new header.
std::string KeyOf(const TRow& row) {
  std::string key = row.Cells[1].Text;
  for (size_t index = 2; index < row.Titles.size(); ++index) key += '\n' + row.Titles[index];
  return key;
}

}  // namespace

TReadableTable::TReadableTable(std::ostream& out, size_t screenRows)
    : FOut(out), FScreenRows(screenRows) {}

void TReadableTable::Write(const TDeliveredRecord& record) {
  const TRow row = RowOf(record);
  const std::string key = KeyOf(row);
  std::vector<size_t>& widths = FWidths[key];
  widths.resize(row.Titles.size(), 0);
  bool widened = false;
  for (size_t index = 0; index < row.Titles.size(); ++index) {
    const size_t width =
        std::max(DisplayWidth(row.Titles[index]), DisplayWidth(TableText(row.Cells[index])));
    widened = widened || width > widths[index];
    widths[index] = std::max(widths[index], width);
  }
  std::string text;
  if (widened || key != FLastRequest || (FScreenRows > 0 && FRowsSinceHeader >= FScreenRows)) {
    for (size_t index = 0; index < row.Titles.size(); ++index) {
      const bool last = index + 1 == row.Titles.size();
      AppendAligned(text, row.Titles[index], widths[index], AlignsRight(row.Cells[index]), last);
    }
    text += '\n';
    FLastRequest = key;
    FRowsSinceHeader = 0;
  }
  for (size_t index = 0; index < row.Cells.size(); ++index) {
    const TCell& cell = row.Cells[index];
    AppendAligned(text, TableText(cell), widths[index], AlignsRight(cell),
                  index + 1 == row.Cells.size());
  }
  FOut << text << '\n' << std::flush;
  ++FRowsSinceHeader;
}

}  // namespace plchost
