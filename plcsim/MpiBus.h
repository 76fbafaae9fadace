#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plcsim {

// What the simulated stations of an MPI bus say, whichever adapter or gateway carries
// it to the PC.

// The functions of the telegrams between the PC and the PLC.
constexpr uint8_t kMpiConnectRequest = 0xE0;
constexpr uint8_t kMpiConnectResponse = 0xD0;
constexpr uint8_t kMpiConnectConfirm = 0x05;
constexpr uint8_t kMpiData = 0xF1;
constexpr uint8_t kMpiDataAck = 0xB0;
constexpr uint8_t kMpiDisconnectRequest = 0x80;
constexpr uint8_t kMpiDisconnectConfirm = 0xC0;

// The PLC's connect response after its function, where the header names the PLC.
inline const std::vector<uint8_t> kMpiConnectResponseBody{0x04, 0x00, 0x80, 0x00, 0x02, 0x00,
                                                          0x02, 0x01, 0x00, 0x01, 0x00};

// A station list covers the bus addresses 0 to 126.
constexpr size_t kMpiStations = 127;

// A PC adapter's answers to its commands (01 command 20 ...): its version, and the
// refusal of a local address the PLC already has.
constexpr uint8_t kFromAdapter = 0x20;
constexpr char kAdapterVersion[] = "V00.83";
constexpr char kAdapterAddressTaken[] = "E=0315";

}  // namespace plcsim
