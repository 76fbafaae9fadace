#pragma once

// Request trees for the end-to-end tests, and the values their records must
// carry, computed from the peer's memory.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "moxShared/Public/Common/moxVariant.h"

namespace e2e {

// Memory areas as the request tree numbers them.
constexpr int kAreaInputs = 2;
constexpr int kAreaFlags = 4;
constexpr int kAreaDataBlock = 5;
constexpr int kAreaCounters = 6;

struct TTreeItem {
  std::string Name;
  std::string DataType = "D16";
  int Offset = -1;
  int Count = 1;
  bool AppendCnt = true;
  bool LE = false;
  bool Swapped = true;
  bool Unsigned = true;
  std::string Scale = "1";
  std::string Default = "0";
};

struct TTreeRequest {
  std::string Caption;
  int Area = kAreaDataBlock;
  int DBNumber = 1;
  int Offset = 0;
  int Size = 1;
  int Timeout = 3000;
  bool Poll = true;
  int IntervalMs = 200;
  std::vector<TTreeItem> Items;
};

TTreeItem Item(const std::string& name, const std::string& dataType, int offset, int count = 1);
TTreeRequest Request(const std::string& caption, int area, int dbNumber, int offset, int size);

// The XML text of a request tree.
std::string RequestTreeXml(const std::vector<TTreeRequest>& requests);

// The bytes the peer serves for a request.
std::vector<uint8_t> PeerBytes(const TTreeRequest& request);

// Every value a record of the request carries, by name, in order.
std::vector<std::pair<std::string, TVariant>> ExpectedValues(const TTreeRequest& request);

}  // namespace e2e
