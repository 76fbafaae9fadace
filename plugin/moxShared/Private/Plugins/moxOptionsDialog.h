#pragma once

#include <string>

#include "moxPluginRecords.h"
#include "moxShared/Public/Common/moxParamLstIntf.h"

class TmoxPlugin;
class TPluginRegistry;

// The form name a host asks for in InData: the bytes up to the first zero or
// the slot's length, whichever comes first; empty without a buffer.
std::string RequestedFormName(const TPluginDataSlot& inData);

// The dialog packet: a header of six 32-bit offsets and lengths, then the form
// stream, an empty extra part and the compressed script. Empty when there are
// no dialog resources for the name.
std::string BuildDialogPacket(const std::string& requestedName);

// A dialog resource by name; empty when the library has none of that name.
std::string FindDialogResource(const std::string& name);

// Lets the module react to its shown dialog; true when its settings changed.
bool RunOptionsDialog(TmoxPlugin& module, TPluginCallRec& record, ImoxParamsListA* params);

// Makes every instance with the module's registry path reload its settings:
// directly on this thread, through message 1812 to the host otherwise.
void ReloadSharedSettings(TPluginRegistry& registry, const TmoxPlugin& module);
