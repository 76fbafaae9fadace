#pragma once

#include <cstdint>
#include <string>

namespace plchost {

// The index into the plug-in's protocol list for a name the user gives: the
// index itself (0..11), the short name (mpi, mpi2, mpi3, mpi4, ppi, isotcp,
// isotcp243, ibh, ibhppi, s7online, as511, nlpro) or the options dialog's text,
// both without regard to case. -1 when the name is none of these.
int32_t ProtocolIndexOf(const std::string& name);

// The short names, comma separated, for messages.
std::string ProtocolShortNames();

// The short name of an index of the list; "?" outside it.
std::string ProtocolShortName(int32_t index);

// Whether the protocol of the index runs through the vendor's S7onlinx.dll (S7
// online) and so needs no channel of the host's.
bool NeedsNoChannel(int32_t index);

}  // namespace plchost
