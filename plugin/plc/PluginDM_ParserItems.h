#pragma once

#include "moxShared/Private/Plugins/moxParserItems.h"
#include "plc/PluginDM_Settings.h"

// The values the Siemens module delivers beyond the standard packet fields.

// The PLC side of every record.
constexpr char kLocalAddressField[] = "LOCAL_ADDRESS";
constexpr char kRemoteAddressField[] = "REMOTE_ADDRESS";
constexpr char kAreaField[] = "AREA";
constexpr char kDataBlockField[] = "DATABLOCK";

// Appends the four PLC fields (Integer, no default), then one item per named
// response value of the settings' request tree, described by its request's
// name and defaulting to "0" (type not given); without settings (none loaded
// yet) there are no requests. An item with `Count` above 1 and `AppendCnt`
// lists each counted name, described "request (name)"; otherwise the plain
// name. A malformed tree propagates its exception.
void AddPlcParserItems(TParserItemList& items, const TDataSourceCfg* settings);
