#include "Records.h"

#include <cstddef>

#include "LiveSet.h"
#include "Transport.h"

// The members the plug-in reaches by offset, in the 32-bit build.
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, timeout) == 0);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, fd) == 4);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, fd.wfd) == 8);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, readFn) == 92);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, writeFn) == 96);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, userData) == 104);
static_assert(sizeof(void*) != 4 || offsetof(daveInterface, debugFn) == 108);
static_assert(offsetof(daveConnection, maxPDUlength) == 8);

namespace nodave {
namespace {

LiveSet<const void*>& Interfaces() {
  static LiveSet<const void*> set;
  return set;
}

LiveSet<const void*>& Connections() {
  static LiveSet<const void*> set;
  return set;
}

}  // namespace

daveInterface* NewInterfaceRecord() {
  auto* di = new daveInterface{};
  Interfaces().Add(di);
  return di;
}

daveConnection* NewConnectionRecord() {
  auto* dc = new daveConnection{};
  Connections().Add(dc);
  return dc;
}

bool IsLiveInterface(const daveInterface* di) { return di != nullptr && Interfaces().Contains(di); }

bool IsLiveConnection(const daveConnection* dc) {
  return dc != nullptr && Connections().Contains(dc) && IsLiveInterface(dc->iface);
}

void FreeRecord(void* record) {
  if (record == nullptr) {
    return;
  }
  if (Interfaces().Remove(record)) {
    auto* di = static_cast<daveInterface*>(record);
    delete di->state;
    delete di;
  } else if (Connections().Remove(record)) {
    auto* dc = static_cast<daveConnection*>(record);
    delete dc->state;
    delete dc;
  }
}

}  // namespace nodave
