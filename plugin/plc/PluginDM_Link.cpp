#include "plc/PluginDM_Link.h"

void SetUpLink(TNoDaveEx& link, TTransportBridge& bridge, const TLinkSettings& settings,
               const std::string& intfName) {
  link.SetIPAddress("127.0.0.1");
  link.SetInterval(0);
  link.SetProtocol(settings.Protocol);
  if (settings.Protocol == daveProtoS7Online) link.SetCOMPort(kS7onlineAccessPoint);
  bridge.ConfigureLink(link);
  link.SetIntfTimeout(kDefaultIntfTimeoutUs);
  link.SetIntfName(intfName);
  link.SetMPIRemote(settings.MPIRemote);
  link.SetMPILocal(settings.MPILocal);
  link.SetCPURack(settings.CPURack);
  link.SetCPUSlot(settings.CPUSlot);
  link.SetActive(false);
  link.ReadOnConnect = false;
}
