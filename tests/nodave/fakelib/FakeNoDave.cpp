// A test-only protocol library with the entry points the PLC link calls. It
// speaks no real protocol: every call counts itself, answers what the controls
// say, and moves a few bytes through the transport functions of its interface
// record, so that the plug-in's own read, write and debug functions can be put
// in their place. Its record layout is written here from the fixed offsets,
// independently of the plug-in's declarations. Built with FAKE_PARTIAL it
// lacks daveReadBytes and closePort.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "FakeNoDaveControl.h"

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif
#if defined(_WIN32) && !defined(_WIN64)
#define FAKE_CALL __stdcall
#else
#define FAKE_CALL
#endif

namespace {

// Where the interface record keeps what the plug-in may touch.
constexpr size_t kTimeoutAt = 0;
constexpr size_t kReadHandleAt = 4;
constexpr size_t kWriteHandleAt = 8;
constexpr size_t kPatternOriginAt = 12;  // the library's own: origin of the default read data
#if UINTPTR_MAX == UINT32_MAX
constexpr size_t kReadFuncAt = 92;
constexpr size_t kWriteFuncAt = 96;
constexpr size_t kUserAt = 104;
constexpr size_t kDebugFuncAt = 108;
#else
constexpr size_t kReadFuncAt = 96;
constexpr size_t kWriteFuncAt = 104;
constexpr size_t kUserAt = 120;
constexpr size_t kDebugFuncAt = 128;
#endif
constexpr size_t kInterfaceSize = 160;

using ReadFunc = int32_t(FAKE_CALL*)(uint8_t* intf, uint8_t* buffer, int32_t length);
using WriteFunc = int32_t(FAKE_CALL*)(uint8_t* intf, const uint8_t* buffer, int32_t length);
using DebugFunc = void(FAKE_CALL*)(uint8_t* intf, int32_t level, const char* text, int32_t length);

struct Connection {
  int32_t own[2];
  int32_t maxPDUlength;
  uint8_t* intf;
};
static_assert(offsetof(Connection, maxPDUlength) == 8, "PDU length at 8");

TFakeNoDaveControl control;
std::mutex lock;
std::set<void*> interfaces;
std::set<void*> connections;

template <class T>
T Member(const uint8_t* record, size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

template <class T>
void SetMember(uint8_t* record, size_t offset, T value) {
  std::memcpy(record + offset, &value, sizeof value);
}

void CopyText(char* target, size_t size, const char* text) {
  std::strncpy(target, text != nullptr ? text : "", size - 1);
}

int32_t FAKE_CALL DefaultRead(uint8_t* intf, uint8_t* buffer, int32_t length) {
  const int32_t origin = Member<int32_t>(intf, kPatternOriginAt);
  for (int32_t i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(origin + i);
  return length;
}

int32_t FAKE_CALL DefaultWrite(uint8_t*, const uint8_t*, int32_t length) { return length; }

void Trace(uint8_t* intf, const std::string& text) {
  const auto debug = Member<DebugFunc>(intf, kDebugFuncAt);
  if (control.debugFlags != 0 && debug != nullptr) {
    debug(intf, 0, text.data(), static_cast<int32_t>(text.size()));
  }
}

// Sends a request word through the record's write function and reads `length`
// answer bytes through its read function; false when either fails.
bool Exchange(uint8_t* intf, const char* request, uint8_t* answer, int32_t length) {
  Trace(intf, std::string(request) + "\r\n");
  const auto* bytes = reinterpret_cast<const uint8_t*>(request);
  const auto size = static_cast<int32_t>(std::strlen(request));
  if (Member<WriteFunc>(intf, kWriteFuncAt)(intf, bytes, size) != size) return false;
  return Member<ReadFunc>(intf, kReadFuncAt)(intf, answer, length) == length;
}

int32_t OpenedHandle() {
  std::lock_guard<std::mutex> guard(lock);
  if (control.openResult > 0) ++control.portsOpened;
  return control.openResult;
}

int32_t Close(int32_t kind, int32_t handle) {
  std::lock_guard<std::mutex> guard(lock);
  ++control.portsClosed;
  control.lastCloseKind = kind;
  control.lastClosedHandle = handle;
  return 0;
}

void Count(int32_t& counter) {
  std::lock_guard<std::mutex> guard(lock);
  ++counter;
}

}  // namespace

FAKE_EXPORT TFakeNoDaveControl* fakeNoDaveControl() { return &control; }

FAKE_EXPORT int32_t FAKE_CALL setPort(const char* name, const char* baud, char parity) {
  {
    std::lock_guard<std::mutex> guard(lock);
    CopyText(control.portName, sizeof control.portName, name);
    CopyText(control.baud, sizeof control.baud, baud);
    control.parity = parity;
  }
  return OpenedHandle();
}

FAKE_EXPORT int32_t FAKE_CALL openSocket(int32_t port, const char* host) {
  {
    std::lock_guard<std::mutex> guard(lock);
    control.socketPort = port;
    CopyText(control.socketHost, sizeof control.socketHost, host);
  }
  return OpenedHandle();
}

FAKE_EXPORT int32_t FAKE_CALL openS7online(const char* accessPoint, uintptr_t) {
  {
    std::lock_guard<std::mutex> guard(lock);
    CopyText(control.portName, sizeof control.portName, accessPoint);
  }
  return OpenedHandle();
}

#if !defined(FAKE_PARTIAL)
FAKE_EXPORT int32_t FAKE_CALL closePort(int32_t handle) { return Close(1, handle); }
#endif
FAKE_EXPORT int32_t FAKE_CALL closeSocket(int32_t handle) { return Close(2, handle); }
FAKE_EXPORT int32_t FAKE_CALL closeS7online(int32_t handle) { return Close(3, handle); }

FAKE_EXPORT int32_t FAKE_CALL daveS7onlineError() {
  std::lock_guard<std::mutex> guard(lock);
  return control.openError;
}

struct Handles {
  int32_t rfd;
  int32_t wfd;
};

FAKE_EXPORT uint8_t* FAKE_CALL daveNewInterface(Handles handles, const char* name, int32_t localMPI,
                                                int32_t protocol, int32_t speed) {
  std::lock_guard<std::mutex> guard(lock);
  control.rfd = handles.rfd;
  control.wfd = handles.wfd;
  CopyText(control.intfName, sizeof control.intfName, name);
  control.localMPI = localMPI;
  control.protocol = protocol;
  control.speed = speed;
  if (control.newInterfaceFails) return nullptr;
  auto* intf = new uint8_t[kInterfaceSize]();
  SetMember<int32_t>(intf, kTimeoutAt, 1000000);
  SetMember<int32_t>(intf, kReadHandleAt, handles.rfd);
  SetMember<int32_t>(intf, kWriteHandleAt, handles.wfd);
  SetMember<ReadFunc>(intf, kReadFuncAt, DefaultRead);
  SetMember<WriteFunc>(intf, kWriteFuncAt, DefaultWrite);
  interfaces.insert(intf);
  ++control.interfacesLive;
  return intf;
}

FAKE_EXPORT int32_t FAKE_CALL daveInitAdapter(uint8_t* intf) {
  Count(control.adapterInits);
  uint8_t answer[2];
  if (!Exchange(intf, "INIT", answer, sizeof answer)) return kFakeNoAnswer;
  return control.initAdapterResult;
}

FAKE_EXPORT int32_t FAKE_CALL daveDisconnectAdapter(uint8_t*) {
  Count(control.adapterDisconnects);
  return 0;
}

FAKE_EXPORT Connection* FAKE_CALL daveNewConnection(uint8_t* intf, int32_t mpi, int32_t rack,
                                                    int32_t slot) {
  std::lock_guard<std::mutex> guard(lock);
  control.remoteMPI = mpi;
  control.rack = rack;
  control.slot = slot;
  if (control.newConnectionFails) return nullptr;
  auto* connection = new Connection{{0, 0}, 0, intf};
  connections.insert(connection);
  ++control.connectionsLive;
  return connection;
}

FAKE_EXPORT int32_t FAKE_CALL daveConnectPLC(Connection* connection) {
  Count(control.plcConnects);
  uint8_t answer[2];
  if (!Exchange(connection->intf, "CONN", answer, sizeof answer)) return kFakeNoAnswer;
  if (control.connectResult == 0) connection->maxPDUlength = control.pduLength;
  return control.connectResult;
}

FAKE_EXPORT int32_t FAKE_CALL daveDisconnectPLC(Connection*) {
  Count(control.plcDisconnects);
  return 0;
}

#if !defined(FAKE_PARTIAL)
namespace {

// The PDU bytes a read request and its answer need besides the data.
constexpr int32_t kReadOverhead = 18;

std::atomic<int> readsInFlight{0};

// The 1-based number of this read call.
int32_t RecordRead(int32_t area, int32_t db, int32_t start, int32_t length) {
  std::lock_guard<std::mutex> guard(lock);
  if (control.readCalls < kFakeReadsKept)
    control.reads[control.readCalls] = {area, db, start, length};
  return ++control.readCalls;
}

int32_t ReadResult(int32_t call) {
  std::lock_guard<std::mutex> guard(lock);
  return call == control.failingRead ? control.readFailure : 0;
}

}  // namespace

FAKE_EXPORT int32_t FAKE_CALL daveReadBytes(Connection* connection, int32_t area, int32_t db,
                                            int32_t start, int32_t length, void* buffer) {
  if (readsInFlight.fetch_add(1) > 0) Count(control.overlappingReads);
  const int32_t call = RecordRead(area, db, start, length);
  // Long enough that an unguarded second reader would run into this one.
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  int32_t result = ReadResult(call);
  if (length > connection->maxPDUlength - kReadOverhead) {
    result = kFakeReadTooLong;
  } else if (result == 0) {
    SetMember<int32_t>(connection->intf, kPatternOriginAt, start);
    if (!Exchange(connection->intf, "READ", static_cast<uint8_t*>(buffer), length)) {
      result = kFakeNoAnswer;
    }
  }
  readsInFlight.fetch_sub(1);
  return result;
}
#endif

FAKE_EXPORT void FAKE_CALL daveFree(void* record) {
  std::lock_guard<std::mutex> guard(lock);
  if (interfaces.erase(record) == 1) {
    --control.interfacesLive;
    delete[] static_cast<uint8_t*>(record);
  } else if (connections.erase(record) == 1) {
    --control.connectionsLive;
    delete static_cast<Connection*>(record);
  } else {
    ++control.unknownFrees;
  }
}

FAKE_EXPORT void FAKE_CALL daveSetDebug(int32_t flags) {
  std::lock_guard<std::mutex> guard(lock);
  control.debugFlags = flags;
}

FAKE_EXPORT const char* FAKE_CALL daveStrerror(int32_t code) {
  switch (code) {
    case kFakeNoAnswer:
      return "the PLC did not answer";
    case kFakeReadTooLong:
      return "the read is longer than a PDU carries";
    default:
      return "the PLC refused the request";
  }
}
