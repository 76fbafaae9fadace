// Building one data record from a response: layout, offsets chained between
// items, values beyond the response, requests that left the list, locking.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "PlcTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "plc/PluginDM_Decoder.h"

namespace {

using plctest::BuiltList;
using plctest::Tree;

// An engine and module stand-in that records the decoder's calls.
struct FakeHost : TDecoderHost {
  explicit FakeHost(TThreadObjectList& list) : Requests(list) {}

  TThreadObjectList& RequestList() override { return Requests; }
  void SwitchTimerOff() override { Calls += "off "; }
  void UpdateTimer() override { Calls += "update "; }
  void BeginModuleWrite() override {
    ModuleLock.BeginWrite();
    Calls += "lock ";
  }
  void EndModuleWrite() override {
    ModuleLock.EndWrite();
    Calls += "unlock ";
  }
  int32_t FillStandardItems(TParsedDataList& list, const std::string& packet) override {
    if (FailStandardItems) throw std::runtime_error("standard items");
    list.Add("FULL_DATA_PACKET", TVariant::OfAnsi(packet));
    list.Add("DATA_PACKET", TVariant::OfAnsi(packet));
    list.Add("DATE_TIME_STAMP", TVariant::OfDate(45000.5));
    list.Add("DATA_SOURCE_ID", TVariant::OfUI4(17));
    list.Add("DATA_SOURCE_FULL_NAME", TVariant::OfAnsi("PLC 1 full"));
    list.Add("DATA_SOURCE_NAME", TVariant::OfAnsi("PLC 1"));
    return 6;
  }
  int32_t MPILocal() override { return 0; }
  int32_t MPIRemote() override { return 2; }

  TThreadObjectList& Requests;
  TReadWriteLock ModuleLock;
  std::string Calls;
  bool FailStandardItems = false;
};

// One request built from its response items, and a response to decode.
class DecoderTest : public testing::Test {
 protected:
  void Build(const std::string& items, const std::string& request = "") {
    list_ = std::make_unique<BuiltList>(
        Tree("<R><Area>5</Area><Datablock>33</Datablock><Size>100</Size>" + request + "<Response>" +
             items + "</Response></R>"));
    host_ = std::make_unique<FakeHost>(list_->List());
  }
  TRequestItem& Request() { return (*list_)[0]; }

  int32_t Decode(const std::vector<uint8_t>& response) {
    TRequestParams read = Request().Params;
    read.Size = static_cast<int32_t>(response.size());
    Request().Params.Size = read.Size;
    return ::Decode(*host_, read, response.data(), response.size(), record_);
  }
  TVariant Field(const std::string& name) const {
    const int32_t index = record_.IndexOf(name);
    EXPECT_GE(index, 0) << name;
    return index < 0 ? TVariant() : record_.Items(index)->Value();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(record_.Count()));
    for (int32_t index = 0; index < record_.Count(); ++index) {
      names.push_back(record_.Items(index)->Name);
    }
    return names;
  }

  std::unique_ptr<BuiltList> list_;
  std::unique_ptr<FakeHost> host_;
  TParsedDataList record_;
};

TEST_F(DecoderTest, ARecordHoldsPacketPlcFieldsValuesAndTheRowSeparator) {
  Build("<Item><Offset>0</Offset></Item>");
  Request().Busy = true;
  EXPECT_EQ(Decode({0x12, 0x34}), 11);
  EXPECT_EQ(Names(), (std::vector<std::string>{
                         "FULL_DATA_PACKET", "DATA_PACKET", "DATE_TIME_STAMP", "DATA_SOURCE_ID",
                         "DATA_SOURCE_FULL_NAME", "DATA_SOURCE_NAME", "LOCAL_ADDRESS",
                         "REMOTE_ADDRESS", "AREA", "DATABLOCK", "ITEM0", kRowSeparatorName}));
  EXPECT_EQ(Field("ITEM0"), TVariant::OfUI2(0x1234));
  EXPECT_EQ(Field("LOCAL_ADDRESS"), TVariant::OfI4(0));
  EXPECT_EQ(Field("REMOTE_ADDRESS"), TVariant::OfI4(2));
  EXPECT_EQ(Field("AREA"), TVariant::OfI1(7));  // the request's data block area
  EXPECT_EQ(Field("DATABLOCK"), TVariant::OfI4(33));
  EXPECT_EQ(record_.RawText, std::string("\x12\x34"));
  EXPECT_FALSE(Request().Busy);
  EXPECT_FALSE(Request().Timer.IsClear());
  EXPECT_EQ(host_->Calls, "off lock unlock update ");
}

TEST_F(DecoderTest, ThePacketKeepsItsZeroBytes) {
  Build("<Item><DataType>D8</DataType></Item>");
  Decode({0, 'a', 0});
  EXPECT_EQ(record_.RawText, std::string("\0a\0", 3));
  EXPECT_EQ(VarToAnsi(Field("FULL_DATA_PACKET")).size(), 3u);
}

TEST_F(DecoderTest, ItemsWithoutOffsetFollowThePreviousItem) {
  Build(
      "<Item><Name>A</Name><Count>2</Count></Item>"
      "<Item><Name>B</Name><DataType>D8</DataType></Item>");
  EXPECT_EQ(Decode({0, 1, 0, 2, 9}), 13);
  EXPECT_EQ(Field("A0"), TVariant::OfUI2(1));
  EXPECT_EQ(Field("A1"), TVariant::OfUI2(2));
  EXPECT_EQ(Field("B0"), TVariant::OfUI1(9));
}

TEST_F(DecoderTest, ValuesBeyondTheResponseTakeTheirDefault) {
  Build(
      "<Item><Offset>0</Offset><Count>3</Count><Default>77</Default>"
      "<ZeroBaseCnt>0</ZeroBaseCnt></Item>");
  Decode({0, 1, 0, 2});
  EXPECT_EQ(Field("ITEM1"), TVariant::OfUI2(1));
  EXPECT_EQ(Field("ITEM2"), TVariant::OfUI2(2));
  EXPECT_EQ(Field("ITEM3"), TVariant::OfUI2(77));
}

TEST_F(DecoderTest, AStringIsTestedAgainstItsFullSize) {
  Build(
      "<Item><Offset>2</Offset><DataType>S</DataType><AppendCnt>0</AppendCnt>"
      "<Default>none</Default><Count>2</Count></Item><Item><Name>N</Name></Item>");
  std::vector<uint8_t> response(300, 'x');
  response[10] = 0;
  Decode(response);
  EXPECT_EQ(VarToAnsi(Field("ITEM")), std::string(297, 'x'));
  // The second string and the next item lie beyond the end.
  EXPECT_EQ(VarToAnsi(record_.Items(11)->Value()), "none");
  EXPECT_EQ(Field("N0"), TVariant::OfUI2(0));
  record_.Clear();
  Decode(std::vector<uint8_t>(100, 'y'));
  EXPECT_EQ(VarToAnsi(Field("ITEM")), "none");
}

TEST_F(DecoderTest, BitsShareTheirByteAndBitDefaultsKeepTheirPlace) {
  Build(
      "<Item><Offset>0</Offset><Count>10</Count><DataType>BIT</DataType></Item>"
      "<Item><Name>L</Name><DataType>BIT</DataType><LE>1</LE><Count>3</Count>"
      "<Default>on</Default></Item>");
  Decode({0x81, 0x42, 0x80});
  for (int32_t bit = 0; bit < 10; ++bit) {
    const bool set = bit == 0 || bit == 7 || bit == 9;  // 0x81, then 0x42 from bit 0
    EXPECT_EQ(Field("ITEM" + std::to_string(bit)), TVariant::OfBool(set)) << bit;
  }
  // The next item goes on in byte 1, from its most significant bit.
  EXPECT_EQ(Field("L0"), TVariant::OfBool(false));
  EXPECT_EQ(Field("L1"), TVariant::OfBool(true));
  EXPECT_EQ(Field("L2"), TVariant::OfBool(false));
  record_.Clear();
  Build(
      "<Item><Offset>2</Offset><DataType>BIT</DataType><Count>9</Count>"
      "<Default>high</Default></Item>");
  Decode({0xFF, 0xFF});
  EXPECT_EQ(Field("ITEM8"), TVariant::OfBool(true));
}

TEST_F(DecoderTest, AbsurdOffsetsAndCountsNeverReachOutsideTheResponse) {
  Build(
      "<Item><Offset>2147483647</Offset><DataType>D64</DataType></Item>"
      "<Item><Offset>-2147483648</Offset><DataType>S</DataType><Count>3</Count></Item>"
      "<Item><Offset>-5</Offset><DataType>BIT</DataType><Count>20</Count></Item>"
      "<Item><Count>-4</Count></Item><Item><Count>0</Count></Item>"
      "<Item><Name>LAST</Name><Offset>1</Offset><DataType>F64</DataType></Item>");
  EXPECT_EQ(Decode({1, 2, 3}), 10 + 1 + 3 + 20 + 1);
  EXPECT_EQ(Field("LAST0"), TVariant::OfR8(0));
}

TEST_F(DecoderTest, OnlyTheCapacityOfTheBufferIsRead) {
  Build("<Item><Offset>2</Offset></Item>");
  const std::vector<uint8_t> response = {1, 2, 3, 4};
  TRequestParams read = Request().Params;
  Request().Params.Size = read.Size = 1000;
  EXPECT_EQ(::Decode(*host_, read, response.data(), 3, record_), 11);
  EXPECT_EQ(record_.RawText.size(), 3u);
  EXPECT_EQ(Field("ITEM0"), TVariant::OfUI2(0));  // the default: byte 3 is not there
}

TEST_F(DecoderTest, EmptyReadsAndRequestsThatLeftTheListGiveNothing) {
  Build("<Item/>");
  Request().Busy = true;
  EXPECT_EQ(Decode({}), 0);
  EXPECT_EQ(record_.Count(), 0);

  TRequestParams read = Request().Params;
  read.Size = Request().Params.Size = 2;
  read.Request = nullptr;  // a request that is gone
  const uint8_t response[] = {1, 2};
  EXPECT_EQ(::Decode(*host_, read, response, 2, record_), 0);
  read.Request = &Request();  // the same address asking for another read
  read.Offset = 99;
  EXPECT_EQ(::Decode(*host_, read, response, 2, record_), 0);
  EXPECT_EQ(record_.Count(), 0);
  EXPECT_TRUE(Request().Busy);
  EXPECT_TRUE(Request().Timer.IsClear());
  EXPECT_EQ(host_->Calls, std::string("off lock unlock update ") + "off lock unlock update " +
                              "off lock unlock update ");
}

TEST_F(DecoderTest, AFailureReleasesTheLocksAndStillUpdatesTheTimer) {
  Build("<Item/>");
  host_->FailStandardItems = true;
  EXPECT_THROW(Decode({1, 2}), std::runtime_error);
  EXPECT_EQ(host_->Calls, "off lock unlock update ");
  EXPECT_EQ(record_.Count(), 0);
  // Both locks are free again: another thread takes them at once.
  std::async(std::launch::async, [this] {
    TWriteGuard<TThreadObjectList> requests(list_->List());
    host_->ModuleLock.BeginWrite();
    host_->ModuleLock.EndWrite();
  }).get();
}

TEST_F(DecoderTest, ARebuildWaitsUntilTheRecordIsBuilt) {
  Build("<Item><Count>2</Count></Item>");
  std::promise<void> decoding;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> rebuilt{false};
  std::thread rebuild;
  // The standard fields are added while the request is held: start a rebuild
  // there and let it run against the held list.
  struct BlockingHost : FakeHost {
    using FakeHost::FakeHost;
    std::function<void()> During;
    int32_t FillStandardItems(TParsedDataList& list, const std::string& packet) override {
      During();
      return FakeHost::FillStandardItems(list, packet);
    }
  } host(list_->List());
  host.During = [&] {
    rebuild = std::thread([&] {
      decoding.set_value();
      list_->List().Clear();  // frees the request being decoded
      rebuilt = true;
    });
    decoding.get_future().wait();
    EXPECT_FALSE(rebuilt.load());
  };
  TRequestParams read = Request().Params;
  const std::vector<uint8_t> response = {0, 1, 0, 2};
  read.Size = Request().Params.Size = 4;
  EXPECT_EQ(::Decode(host, read, response.data(), response.size(), record_), 12);
  rebuild.join();
  EXPECT_TRUE(rebuilt.load());
  EXPECT_EQ(Field("ITEM1"), TVariant::OfUI2(2));
  EXPECT_EQ(::Decode(host, read, response.data(), response.size(), record_), 0);
}

}  // namespace
