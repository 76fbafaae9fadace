// Two data sources poll the peer's data blocks, inputs, flags and counters;
// every value delivered must be what the peer's memory holds, decoded as its
// item says.

#include <map>

#include "E2eTestSupport.h"
#include "RequestTree.h"

namespace e2e {
namespace {

constexpr int kRecordsPerRequest = 2;

// An item for every numeric type and every combination of the byte-order and
// sign flags, one after the other.
std::vector<TTreeItem> FlagCombinations() {
  std::vector<TTreeItem> items;
  for (const char* type : {"D8", "D16", "D32", "D64", "F32", "F64"}) {
    for (int flags = 0; flags < 8; ++flags) {
      TTreeItem item;
      item.Name = std::string(type) + "_" + std::to_string(flags) + "_";
      item.DataType = type;
      item.LE = (flags & 1) != 0;
      item.Swapped = (flags & 2) != 0;
      item.Unsigned = (flags & 4) != 0;
      items.push_back(item);
    }
  }
  return items;
}

std::vector<TTreeItem> Scaled() {
  std::vector<TTreeItem> items;
  for (const char* type : {"D8", "D16", "D32", "D64", "F32", "F64"}) {
    for (int flags = 0; flags < 4; ++flags) {
      TTreeItem item;
      item.Name = std::string("SCALED_") + type + "_" + std::to_string(flags) + "_";
      item.DataType = type;
      item.Swapped = (flags & 1) != 0;
      item.Unsigned = (flags & 2) != 0;
      item.Scale = flags % 2 == 0 ? "0.25" : "-1,5";
      items.push_back(item);
    }
  }
  return items;
}

// Items that the response does not cover take their defaults.
std::vector<TTreeItem> Defaults() {
  auto item = [](const char* name, const char* type, const char* value, bool isUnsigned) {
    TTreeItem made;
    made.Name = name;
    made.DataType = type;
    made.Default = value;
    made.Unsigned = isUnsigned;
    made.Scale = "3";
    made.AppendCnt = false;
    made.Offset = 6;
    return made;
  };
  return {item("DEF_D8", "D8", "300", true),          item("DEF_D16", "D16", "-2", false),
          item("DEF_D32", "D32", "4294967295", true), item("DEF_D64", "D64", "-5", true),
          item("DEF_F32", "F32", "0.1", true),        item("DEF_F64", "F64", "2.5", true),
          item("DEF_S", "S", "none", true),           item("DEF_BIT", "BIT", "Yes", true),
          item("DEF_NAN", "D16", "abc", true)};
}

std::vector<TTreeRequest> PeerRequests() {
  TTreeRequest types = Request("Types", kAreaDataBlock, 1, 0, 400);
  types.Items = FlagCombinations();
  const std::vector<TTreeItem> scaled = Scaled();
  types.Items.insert(types.Items.end(), scaled.begin(), scaled.end());

  TTreeRequest text = Request("Text", kAreaDataBlock, 2, 0, 256);
  text.IntervalMs = 300;
  TTreeItem inRange = Item("TEXT", "S", 1);
  inRange.AppendCnt = false;
  TTreeItem tooShort = Item("SHORT", "S", 2);
  tooShort.AppendCnt = false;
  tooShort.Default = "empty";
  text.Items = {inRange, tooShort};

  TTreeRequest inputs = Request("Inputs", kAreaInputs, 0, 4, 6);
  TTreeItem bits = Item("IN", "BIT", 0, 10);
  TTreeItem bitsLE = Item("INLE", "BIT", 2, 8);
  bitsLE.LE = true;
  TTreeItem bytes = Item("IB", "D8", 3, 3);
  inputs.Items = {bits, bitsLE, bytes};

  TTreeRequest flags = Request("Flags", kAreaFlags, 0, 16, 12);
  TTreeItem words = Item("MW", "D16", 0, 2);
  words.Unsigned = false;
  TTreeItem doubleWord = Item("MD", "D32", -1, 2);
  doubleWord.LE = true;
  flags.Items = {words, doubleWord};

  TTreeRequest counters = Request("Counters", kAreaCounters, 0, 0, 8);
  counters.Items = {Item("C", "D16", 0, 4)};

  TTreeRequest defaults = Request("Defaults", kAreaDataBlock, 10, 8, 6);
  defaults.Items = Defaults();
  return {types, text, inputs, flags, counters, defaults};
}

// The request a record answers: the one whose first value it carries.
const TTreeRequest* RequestOf(const host::TDataRecord& record,
                              const std::vector<TTreeRequest>& requests) {
  for (const TTreeRequest& request : requests) {
    if (record.Find(ExpectedValues(request).front().first) != nullptr) return &request;
  }
  return nullptr;
}

void ExpectRecord(const TDelivered& delivered, const TTreeRequest& request) {
  const host::TDataRecord& record = delivered.Record;
  const std::vector<uint8_t> bytes = PeerBytes(request);
  EXPECT_EQ(record.RawText, std::string(bytes.begin(), bytes.end()));
  const TVariant* source = record.Find("DATA_SOURCE_ID");
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->Type(), VarType::UI4);
  EXPECT_EQ(VarToAnsi(*source), std::to_string(delivered.Source));
  const TVariant* block = record.Find("DATABLOCK");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(VarToAnsi(*block), std::to_string(request.DBNumber));
  for (const auto& expected : ExpectedValues(request)) {
    const TVariant* value = record.Find(expected.first);
    ASSERT_NE(value, nullptr) << expected.first;
    EXPECT_TRUE(SameValue(*value, expected.second)) << request.Caption << " " << expected.first;
  }
}

TEST(PeerValues, TwoDataSourcesDeliverWhatThePeerHolds) {
  E2E_REQUIRE_PEER();
  const std::vector<TTreeRequest> requests = PeerRequests();
  const std::vector<int32_t> sources = {1, 2};
  TE2eHost host(RequestTreeXml(requests), sources);
  ASSERT_EQ(host.Start(), 0);

  const auto enough = [&] {
    std::map<std::pair<int32_t, const TTreeRequest*>, int> counts;
    for (const TDelivered& delivered : host.Records()) {
      ++counts[{delivered.Source, RequestOf(delivered.Record, requests)}];
    }
    for (int32_t source : sources) {
      for (const TTreeRequest& request : requests) {
        if (counts[{source, &request}] < kRecordsPerRequest) return false;
      }
    }
    return true;
  };
  ASSERT_TRUE(host.RunUntil(enough)) << host.Records().size() << " records";

  for (const TDelivered& delivered : host.Records()) {
    const TTreeRequest* request = RequestOf(delivered.Record, requests);
    ASSERT_NE(request, nullptr);
    ExpectRecord(delivered, *request);
  }
  for (int32_t source : sources) {
    EXPECT_LE(host.Wire(source).MostOutstanding, 1) << "data source " << source;
  }
}

}  // namespace
}  // namespace e2e
