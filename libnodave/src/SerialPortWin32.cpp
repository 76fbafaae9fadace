#include <windows.h>

#include <string>

#include "SerialPort.h"

namespace nodave {
namespace {

HANDLE HandleOf(int32_t handle) {
  const auto value = static_cast<intptr_t>(handle);
  return reinterpret_cast<HANDLE>(value);
}

// "COM1:" or "COM12" as a device path; Windows reaches ports above COM9 only so.
std::string DevicePath(const char* name) {
  std::string path(name);
  if (!path.empty() && path.back() == ':') {
    path.pop_back();
  }
  return path.rfind("\\\\.\\", 0) == 0 ? path : "\\\\.\\" + path;
}

// The DCB parity of 'E', 'O' or 'N'; false for any other character.
bool ParityOf(char parity, BYTE& value) {
  switch (parity) {
    case 'E':
    case 'e':
      value = EVENPARITY;
      return true;
    case 'O':
    case 'o':
      value = ODDPARITY;
      return true;
    case 'N':
    case 'n':
      value = NOPARITY;
      return true;
    default:
      return false;
  }
}

bool Configure(HANDLE port, int32_t baud, BYTE parity) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) {
    return false;
  }
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = parity;
  dcb.fParity = parity != NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;  // PC adapters draw their power from DTR and RTS
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  // Reads return what has arrived at once, or wait for the first byte: SerialRead
  // sets the wait for each call.
  COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 1, 0, 0};
  return SetCommState(port, &dcb) && SetCommTimeouts(port, &timeouts) &&
         PurgeComm(port, PURGE_RXCLEAR | PURGE_RXABORT);
}

DWORD MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

}  // namespace

int32_t SerialOpen(const char* name, int32_t baud, char parity) {
  BYTE parityValue = NOPARITY;
  if (baud <= 0 || !ParityOf(parity, parityValue)) {
    return 0;
  }
  HANDLE port = CreateFileA(DevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    return 0;
  }
  const auto handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(port));
  if (handle <= 0 || !Configure(port, baud, parityValue)) {
    CloseHandle(port);
    return 0;
  }
  return handle;
}

void SerialClose(int32_t handle) { CloseHandle(HandleOf(handle)); }

bool SerialWrite(int32_t handle, const uint8_t* data, size_t length) {
  while (length > 0) {
    DWORD written = 0;
    if (!WriteFile(HandleOf(handle), data, static_cast<DWORD>(length), &written, nullptr) ||
        written == 0) {
      return false;
    }
    data += written;
    length -= written;
  }
  return true;
}

bool SerialRead(int32_t handle, uint8_t* data, size_t length, Clock::time_point deadline) {
  HANDLE port = HandleOf(handle);
  while (length > 0) {
    const DWORD wait = MillisecondsLeft(deadline);
    if (wait == 0) {
      return false;
    }
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, wait, 0, 0};
    DWORD received = 0;
    if (!SetCommTimeouts(port, &timeouts) ||
        !ReadFile(port, data, static_cast<DWORD>(length), &received, nullptr)) {
      return false;
    }
    data += received;
    length -= received;
  }
  return true;
}

}  // namespace nodave
