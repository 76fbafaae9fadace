#pragma once

#include <cstdint>

// The test-only protocol library's controls: what its calls answer, and what it
// counted and saw. The tests reach the one instance through the library's extra
// export "fakeNoDaveControl"; it starts with the defaults below at every load.

// Result codes of the fake library.
constexpr int32_t kFakeNoAnswer = 0x7001;     // a transport read or write failed
constexpr int32_t kFakeReadTooLong = 0x7002;  // more than the PDU can carry

// One daveReadBytes call as the library saw it.
struct TFakeRead {
  int32_t area;
  int32_t db;
  int32_t start;
  int32_t length;
};

constexpr int kFakeReadsKept = 16;

struct TFakeNoDaveControl {
  // What the calls answer.
  int32_t openResult = 7;  // handle of setPort, openSocket and openS7online
  int32_t openError = 0;   // daveS7onlineError's answer
  int32_t initAdapterResult = 0;
  int32_t connectResult = 0;
  bool newInterfaceFails = false;
  bool newConnectionFails = false;
  int32_t pduLength = 240;  // granted at connect
  int32_t failingRead = 0;  // the 1-based daveReadBytes call that fails; 0: none
  int32_t readFailure = 5;  // what that call returns

  // What the calls did.
  int32_t portsOpened = 0;
  int32_t portsClosed = 0;
  int32_t lastCloseKind = 0;  // 1 closePort, 2 closeSocket, 3 closeS7online
  int32_t lastClosedHandle = 0;
  int32_t interfacesLive = 0;
  int32_t connectionsLive = 0;
  int32_t unknownFrees = 0;  // daveFree of something not live: a double free
  int32_t adapterInits = 0;
  int32_t adapterDisconnects = 0;
  int32_t plcConnects = 0;
  int32_t plcDisconnects = 0;
  int32_t readCalls = 0;
  int32_t overlappingReads = 0;  // reads that ran while another one did
  int32_t debugFlags = 0;

  // Arguments seen last.
  char portName[64] = {};
  char baud[16] = {};
  char parity = 0;
  int32_t socketPort = 0;
  char socketHost[64] = {};
  int32_t rfd = 0;
  int32_t wfd = 0;
  char intfName[64] = {};
  int32_t localMPI = 0;
  int32_t protocol = 0;
  int32_t speed = 0;
  int32_t remoteMPI = 0;
  int32_t rack = 0;
  int32_t slot = 0;
  TFakeRead reads[kFakeReadsKept] = {};
};

using TFakeNoDaveControlFunc = TFakeNoDaveControl* (*)();
