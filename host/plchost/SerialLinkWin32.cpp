#include <windows.h>

#include "SerialLink.h"

namespace plchost {

namespace {

// Reads wait this long at most, so that a write (which the port serialises
// with a running read) is never held up longer.
constexpr DWORD kReadSliceMs = 20;

std::string LastErrorText() { return "system error " + std::to_string(GetLastError()); }

class TSerialLink final : public IChannelLink {
 public:
  explicit TSerialLink(HANDLE port) : FPort(port) {}
  ~TSerialLink() override { CloseHandle(FPort); }

  int Receive(uint8_t* buffer, size_t capacity, uint32_t timeoutMs, std::string& error) override {
    const DWORD deadline = GetTickCount() + timeoutMs;
    do {
      DWORD received = 0;
      if (!ReadFile(FPort, buffer, static_cast<DWORD>(capacity), &received, nullptr)) {
        error = LastErrorText();
        return -1;
      }
      if (received > 0) return static_cast<int>(received);
    } while (static_cast<int32_t>(deadline - GetTickCount()) > 0);
    return 0;
  }

  bool Send(const uint8_t* data, size_t length) override {
    while (length > 0) {
      DWORD written = 0;
      if (!WriteFile(FPort, data, static_cast<DWORD>(length), &written, nullptr) || written == 0) {
        return false;
      }
      data += written;
      length -= written;
    }
    return true;
  }

 private:
  HANDLE FPort;
};

bool SetUp(HANDLE port, int baud, TParity parity) {
  DCB control{};
  control.DCBlength = sizeof control;
  if (!GetCommState(port, &control)) return false;
  control.BaudRate = static_cast<DWORD>(baud);
  control.ByteSize = 8;
  control.StopBits = ONESTOPBIT;
  control.fBinary = TRUE;
  control.fParity = parity != TParity::None;
  control.Parity = parity == TParity::Odd    ? ODDPARITY
                   : parity == TParity::Even ? EVENPARITY
                                             : NOPARITY;
  control.fOutxCtsFlow = FALSE;
  control.fOutxDsrFlow = FALSE;
  control.fDtrControl = DTR_CONTROL_ENABLE;
  control.fRtsControl = RTS_CONTROL_ENABLE;
  control.fOutX = FALSE;
  control.fInX = FALSE;
  if (!SetCommState(port, &control)) return false;
  // A read returns at once with what has arrived, or waits one slice for the first byte.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
  timeouts.ReadTotalTimeoutConstant = kReadSliceMs;
  timeouts.WriteTotalTimeoutConstant = 5000;
  if (!SetCommTimeouts(port, &timeouts)) return false;
  PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return true;
}

}  // namespace

std::unique_ptr<IChannelLink> OpenSerialLink(const std::string& device, int baud, TParity parity,
                                             std::string& error) {
  // COM10 and above are reachable only through the device namespace.
  const std::string path = device.rfind("\\\\.\\", 0) == 0 ? device : "\\\\.\\" + device;
  HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (port == INVALID_HANDLE_VALUE) {
    error = device + ": " + LastErrorText();
    return nullptr;
  }
  if (!SetUp(port, baud, parity)) {
    error = device + ": cannot be set up (" + LastErrorText() + ")";
    CloseHandle(port);
    return nullptr;
  }
  return std::make_unique<TSerialLink>(port);
}

}  // namespace plchost
