#pragma once

// The options-dialog packet fetched through the plug-in's exports, and its
// parts.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CallRecord.h"
#include "HostTestSupport.h"

namespace dialog_test {

constexpr size_t kHeaderSize = 24;

struct TDialogPacket {
  std::vector<uint32_t> Header;  // the six offsets and lengths
  std::string Form;
  std::string Extra;
  std::string Script;
};

// Splits a packet by its header; fails the test when a part lies outside it.
inline TDialogPacket SplitPacket(const std::string& packet) {
  TDialogPacket parts;
  if (packet.size() < kHeaderSize) {
    ADD_FAILURE() << "packet of " << packet.size() << " bytes";
    return parts;
  }
  for (size_t field = 0; field < 6; ++field) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
      value |= static_cast<uint32_t>(static_cast<uint8_t>(packet[field * 4 + i])) << (8 * i);
    }
    parts.Header.push_back(value);
  }
  std::string* targets[] = {&parts.Form, &parts.Extra, &parts.Script};
  for (size_t part = 0; part < 3; ++part) {
    const size_t offset = parts.Header[part * 2];
    const size_t length = parts.Header[part * 2 + 1];
    if (offset > packet.size() || length > packet.size() - offset) {
      ADD_FAILURE() << "part " << part + 1 << " outside the packet";
      continue;
    }
    *targets[part] = packet.substr(offset, length);
  }
  return parts;
}

// What GetOptionsDialog left in the record's OutData.
struct TDialogAnswer {
  uint8_t Kind = 0;
  int32_t Length = 0;
  uintptr_t Ptr = 0;
};

class TDialogTest : public host_test::TPluginTest {
 protected:
  // One call with InData pointing at `buffer` (or nothing) of `length` bytes.
  TDialogAnswer Ask(uintptr_t instance, void* buffer, int32_t length) {
    TPluginCallRec record = host::MakeCallRecord(instance);
    host::SetSlotText(record.InData, buffer, length);
    Exports().GetOptionsDialog(&record);
    return {record.OutData.Kind, record.OutData.Length, record.OutData.Ptr};
  }

  // The packet for `name` (empty: the default form), asked for as a host does:
  // first for the size, then with a buffer of that size that starts with the
  // name. Empty when the plug-in has none.
  std::string FetchPacket(uintptr_t instance, const std::string& name = "") {
    std::string first = name + '\0';
    const TDialogAnswer size = Ask(instance, first.data(), static_cast<int32_t>(first.size()));
    if (size.Ptr != 3) return {};
    std::string buffer(static_cast<size_t>(size.Length), '\0');
    buffer.replace(0, first.size(), first);
    const TDialogAnswer answer = Ask(instance, buffer.data(), size.Length);
    EXPECT_EQ(answer.Kind, kSlotSize);
    EXPECT_EQ(answer.Ptr, static_cast<uintptr_t>(size.Length));
    return buffer;
  }

  // The default packet of a fresh instance.
  TDialogPacket DefaultPacket() { return SplitPacket(FetchPacket(Create())); }
};

}  // namespace dialog_test
