#include "plc/PluginDM_Protocols.h"

#include <cstddef>

const std::array<TProtocolEntry, kProtocolCount>& ProtocolTable() {
  using T = TTransportPath;
  static const std::array<TProtocolEntry, kProtocolCount> table = {{
      {"MPI protocol", daveProtoMPI, T::FifoCallbacks},
      {"MPI protocol (w/o STX)", daveProtoMPI2, T::FifoCallbacks},
      {"MPI protocol (Step 7 version)", daveProtoMPI3, T::FifoCallbacks},
      {"MPI protocol (with STX)", daveProtoMPI4, T::FifoCallbacks},
      {"PPI protocol", daveProtoPPI, T::FifoCallbacks},
      {"ISO over TCP", daveProtoISOTCP, T::LoopbackListener},
      {"ISO over TCP (for CP243)", daveProtoISOTCP243, T::LoopbackListener},
      {"IBH-Link TCP/MPI adapter", daveProtoIBH, T::LoopbackListener},
      {"IBH-Link TCP/MPI adapter with PPI protocol", daveProtoIBH_PPI, T::LoopbackListener},
      // The link opens its own access point for this one.
      {"Use S7Onlinx.dll for transport via Siemens CP", daveProtoS7Online, T::FifoCallbacks},
      {"S5 (via programming port)", daveProtoAS511, T::FifoCallbacks},
      {"Deltalogic NetLink-PRO TCP/MPI adapter", daveProtoNLPro, T::LoopbackListener},
  }};
  return table;
}

const TProtocolEntry& ProtocolEntry(int32_t index) {
  const bool inRange = index >= 0 && index < kProtocolCount;
  return ProtocolTable()[static_cast<size_t>(inRange ? index : kDefaultProtocolIndex)];
}
