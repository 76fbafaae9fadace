#pragma once

/* Our S5/S7 protocol library with the libnodave C API.

   Protocols: ISO over TCP (daveProtoISOTCP), ISO over TCP for a CP 243
   (daveProtoISOTCP243); MPI through a serial PC adapter (daveProtoMPI, daveProtoMPI2,
   daveProtoMPI4: 3964R; daveProtoMPI3: the Step 7 link); PPI to an S7-200 (daveProtoPPI);
   the Ethernet gateways IBH-Link (daveProtoIBH, and daveProtoIBH_PPI for a PPI bus) and
   NetLink-PRO (daveProtoNLPro); S5 over the programming port (daveProtoAS511); S7 online
   (daveProtoS7Online, on Windows). Any other protocol code gives
   daveResProtocolNotSupported.

   PPI: the local station address is the interface's localMPI, the PLC's the
   connection's MPIAdr (0 to 126 each). daveConnectPLC is setup communication only,
   asking for a 240-byte PDU; the disconnect calls send nothing. The area daveV, the
   S7-200's V memory, is read as data block 1 (area daveDB, DB 1), which is where an
   S7-200 keeps it.

   The socket protocols talk over the socket handle given to daveNewInterface (usually
   from openSocket); S7 online through the vendor's DLL with the handle from
   openS7online, never through the read and write functions. The serial protocols
   send and receive every byte through the read and write functions of the interface
   record: daveNewInterface sets them to the library's own, which talk to a port that
   setPort opened; a caller may replace them with its own (the plug-in carries the
   bytes over the host's channel so). Debug output, when daveSetDebug has set flags,
   goes to the interface's debug function, or to stderr where none is set.

   Records: only the members marked "fixed" have fixed places (offsets in the 32-bit
   build); every other member is the library's own and may change. */

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define DAVE_CALL __stdcall
#else
#define DAVE_CALL
#endif

#if defined(_WIN32)
#define DAVE_API /* the module definition file names the exports */
#else
#define DAVE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Protocol codes */
enum {
  daveProtoMPI = 0,
  daveProtoMPI2 = 1,
  daveProtoMPI3 = 2,
  daveProtoMPI4 = 3,
  daveProtoPPI = 10,
  daveProtoAS511 = 20,
  daveProtoS7Online = 50,
  daveProtoISOTCP = 122,
  daveProtoISOTCP243 = 123,
  daveProtoIBH = 223,
  daveProtoIBH_PPI = 224,
  daveProtoNLPro = 230
};

/* Bus speed codes (ignored by the socket protocols) */
enum {
  daveSpeed9k = 0,
  daveSpeed19k = 1,
  daveSpeed187k = 2,
  daveSpeed500k = 3,
  daveSpeed1500k = 4,
  daveSpeed45k = 5,
  daveSpeed93k = 6
};

/* Memory areas for daveReadBytes */
enum {
  daveSysInfo = 3,
  daveSysFlags = 5,
  daveAnaIn = 6,
  daveAnaOut = 7,
  daveCounter = 28,
  daveTimer = 29,
  daveRawMemoryS5 = 0, /* S5: start is an absolute address */
  daveP = 128,
  daveInputs = 129,
  daveOutputs = 130,
  daveFlags = 131,
  daveDB = 132,
  daveDI = 133,
  daveLocal = 134,
  daveV = 135,
  daveSysDataS5 = 134 /* S5: the system data */
};

/* Debug flags for daveSetDebug */
enum {
  daveDebugRawRead = 0x0001,
  daveDebugSpecialChars = 0x0002,
  daveDebugRawWrite = 0x0004,
  daveDebugListReachables = 0x0008,
  daveDebugInitAdapter = 0x0010,
  daveDebugConnect = 0x0020,
  daveDebugPacket = 0x0040,
  daveDebugByte = 0x0080,
  daveDebugCompare = 0x0100,
  daveDebugExchange = 0x0200,
  daveDebugPDU = 0x0400,
  daveDebugUpload = 0x0800,
  daveDebugMPI = 0x1000,
  daveDebugPrintErrors = 0x2000,
  daveDebugPassive = 0x4000,
  daveDebugErrorReporting = 0x8000,
  daveDebugOpen = 0x10000,
  daveDebugAll = 0x1FFFF
};

/* Results. 0 is success; positive values come from the PLC: an item return code
   (1..255) or a header error (error class * 256 + error code); negative values are
   found by the library. */
enum {
  daveResOK = 0,
  daveResNoPeripheralAtAddress = 1,
  daveResItemNotAvailable200 = 3,
  daveAddressOutOfRange = 5,
  daveResMultipleBitsNotSupported = 6,
  daveWriteDataSizeMismatch = 7,
  daveResItemNotAvailable = 10,
  daveResConnectionRefused = -1,
  daveResCannotEvaluatePDU = -123,
  daveResCPUNoData = -124,
  daveUnknownError = -125,        /* not returned by this library; */
  daveEmptyResultError = -126,    /* named for programs that test */
  daveEmptyResultSetError = -127, /* for them */
  daveResUnexpectedFunc = -128,
  daveResUnknownDataUnitSize = -129,
  daveResNoBuffer = -130,
  daveNotAvailableInS5 = -131,
  daveResInvalidLength = -132,
  daveResInvalidParam = -133,
  daveResNotYetImplemented = -134, /* not returned by this library */
  daveResShortPacket = -1024,
  daveResTimeout = -1025,
  daveResConnectionLost = -1026,
  daveResReadTooLarge = -1027,
  daveResNotConnected = -1028,
  daveResProtocolNotSupported = -1029,
  /* serial lines and their adapters */
  daveResWriteFailed = -1030,
  daveResWrongAddress = -1031,
  daveResLineErrors = -1032,
  daveResAdapterRefused = -1033,
  /* PPI */
  daveResAnswerNotReady = -1034,
  daveResBadStationAddress = -1035,
  /* MPI adapters */
  daveResNoPlcAtAddress = -1037,
  daveResBusSpeedRefused = -1038,
  daveResAdapterVariant = -1039,
  /* Ethernet gateways (IBH-Link, NetLink-PRO) */
  daveResGatewayRefused = -1040,
  daveResGatewayNoFreeId = -1041,
  daveResPlcConnectionsUsedUp = -1043,
  daveResGatewayConnectionEnded = -1044,
  daveResGatewayBusSpeed = -1045,
  daveResGatewayLocalAddress = -1046,
  /* S5 over the programming port (AS511) */
  daveResS5BlockMissing = -1050,
  daveResS5ReadPastBlock = -1051,
  daveResS5Refused = -1052,
  daveResS5BadAnswer = -1053,
  daveResS5AddressRange = -1054,
  /* S7 online through the vendor's access DLL S7onlinx.dll */
  daveResS7onlineNotAvailable = -1060,  /* not on this platform (Windows only) */
  daveResS7onlineDllMissing = -1061,    /* S7onlinx.dll not found */
  daveResS7onlineDllBitness = -1062,    /* S7onlinx.dll of the other bitness, or no DLL */
  daveResS7onlineDllFailed = -1063,     /* S7onlinx.dll found but not loaded */
  daveResS7onlineExportMissing = -1064, /* S7onlinx.dll lacks a function */
  daveResS7onlineOpenFailed = -1065,    /* the access point could not be opened */
  daveResS7onlineScpError = -1066       /* the DLL failed a send or receive */
};

/* The PDU length asked for when connecting; the PLC may grant less. */
enum { daveRequestedPDU = 960 };

/* Port handles: read handle first. */
typedef struct {
  int32_t rfd;
  int32_t wfd;
} daveOSserialType;

typedef struct daveInterface daveInterface;
/* What a protocol keeps per interface or connection; the library's own. */
typedef struct daveTransportState daveTransportState;

/* Transport functions a caller may place into the interface record. */
typedef int32_t(DAVE_CALL* daveReadFunction)(daveInterface* di, char* buffer, int32_t length);
typedef int32_t(DAVE_CALL* daveWriteFunction)(daveInterface* di, const char* buffer,
                                              int32_t length);
typedef void(DAVE_CALL* daveDebugFunction)(daveInterface* di, int32_t flag, const char* text,
                                           int32_t length);

enum { daveNameSize = 72 };

struct daveInterface {
  int32_t timeout;           /* fixed, 0: receive time-out in microseconds */
  daveOSserialType fd;       /* fixed, 4 and 8: read and write handle */
  int32_t localMPI;          /* as passed to daveNewInterface */
  int32_t speed;             /* as passed to daveNewInterface */
  char name[daveNameSize];   /* copy of the interface name, truncated */
  daveReadFunction readFn;   /* fixed, 92 */
  daveWriteFunction writeFn; /* fixed, 96 */
  int32_t protocol;          /* as passed to daveNewInterface */
  void* userData;            /* fixed, 104: the caller's; never touched by the library */
  daveDebugFunction debugFn; /* fixed, 108 */
  daveTransportState* state; /* the protocol's own, freed with the record */
};

typedef struct {
  int32_t AnswLen;      /* bytes delivered by the last read, 0 after a failure */
  int32_t MPIAdr;       /* as passed to daveNewConnection */
  int32_t maxPDUlength; /* fixed, 8 in every build: PDU length granted by the PLC */
  int32_t rack;
  int32_t slot;
  int32_t TPDUsize;  /* largest transport unit granted by the PLC */
  int32_t connected; /* daveConnectPLC succeeded and no disconnect since */
  int32_t PDUnumber; /* reference of the last request sent */
  daveInterface* iface;
  daveTransportState* state; /* the protocol's own, freed with the record */
} daveConnection;

/* Ports. Each returns a handle > 0, or 0 when the port could not be opened.
   setPort opens a serial port (a COM port, or a POSIX tty) in raw mode: the baud rate
   as decimal text (9600 to 115200), 8 data bits, parity 'E', 'O' or 'N' (either case),
   1 stop bit, no flow control. */
DAVE_API int32_t DAVE_CALL setPort(const char* name, const char* baud, char parity);
DAVE_API int32_t DAVE_CALL openSocket(int32_t port, const char* host);
/* S7 online: opens an access point of the vendor's PC communication software
   ("S7ONLINE" when none is given) through its S7onlinx.dll, which is loaded on first
   use (and again after a failure) from the program's folder or the system folder.
   Returns the handle (>= 0; 0 is valid), or -1 with the reason in
   daveS7onlineError. A window handle, when given, is registered for the DLL's
   notifications. Windows only: elsewhere -1 and daveResS7onlineNotAvailable. */
DAVE_API int32_t DAVE_CALL openS7online(const char* accessPoint, void* windowHandle);
/* Why the calling thread's last openS7online failed (a result code that daveStrerror
   explains, naming what to install or configure); daveResOK after a success. */
DAVE_API int32_t DAVE_CALL daveS7onlineError(void);
/* The close calls close only handles that the matching open call returned. */
DAVE_API int32_t DAVE_CALL closePort(int32_t handle);
DAVE_API int32_t DAVE_CALL closeSocket(int32_t handle);
DAVE_API int32_t DAVE_CALL closeS7online(int32_t handle);

/* Records. daveFree releases an interface or connection record; other pointers,
   including records freed before, are ignored. */
DAVE_API daveInterface* DAVE_CALL daveNewInterface(daveOSserialType fd, const char* name,
                                                   int32_t localMPI, int32_t protocol,
                                                   int32_t speed);
DAVE_API daveConnection* DAVE_CALL daveNewConnection(daveInterface* di, int32_t MPI, int32_t rack,
                                                     int32_t slot);
DAVE_API void DAVE_CALL daveFree(void* record);

/* Connection. */
DAVE_API int32_t DAVE_CALL daveInitAdapter(daveInterface* di);
DAVE_API int32_t DAVE_CALL daveConnectPLC(daveConnection* dc);
DAVE_API int32_t DAVE_CALL daveDisconnectPLC(daveConnection* dc);
DAVE_API int32_t DAVE_CALL daveDisconnectAdapter(daveInterface* di);

/* Reads len bytes of an area into buffer. For counters and timers start is the first
   number and len the number of bytes wanted, two per counter or timer; for analog
   inputs and outputs likewise two bytes per word. At most maxPDUlength - 18 bytes per
   call (daveResReadTooLarge otherwise); exactly len bytes are written on success.
   S5 (daveProtoAS511): at most maxPDUlength bytes; the areas are inputs, outputs,
   flags, timers, counters, data blocks 0..255 (checked against the block's length),
   daveSysDataS5 and daveRawMemoryS5; others give daveNotAvailableInS5. */
DAVE_API int32_t DAVE_CALL daveReadBytes(daveConnection* dc, int32_t area, int32_t DB,
                                         int32_t start, int32_t len, void* buffer);

/* Diagnostics. daveSetDebug is process-wide. The text of daveStrerror stays valid
   until the calling thread's next call of it. */
DAVE_API void DAVE_CALL daveSetDebug(int32_t flags);
DAVE_API int32_t DAVE_CALL daveGetDebug(void);
DAVE_API const char* DAVE_CALL daveStrerror(int32_t code);

#ifdef __cplusplus
}
#endif
