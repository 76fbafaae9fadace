#pragma once

#include "nodave.h"

namespace nodave {

// Interface and connection records: created zeroed, known until freed.
daveInterface* NewInterfaceRecord();
daveConnection* NewConnectionRecord();
bool IsLiveInterface(const daveInterface* di);
// A live connection whose interface is live too.
bool IsLiveConnection(const daveConnection* dc);
// Frees a record the library created; anything else is ignored.
void FreeRecord(void* record);

}  // namespace nodave
