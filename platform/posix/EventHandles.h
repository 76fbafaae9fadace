#pragma once

// Event handles: a process-wide table maps each handle to its event. A handle is
// never reused, so a closed handle stays invalid; a wait holds its own reference,
// so closing an event that a thread waits on leaves that wait intact.

#include <memory>
#include <vector>

#include "WaitCore.h"
#include "platform/Sync.h"

namespace platform::detail {

using EventList = std::vector<std::shared_ptr<Event>>;

// The events of `count` handles; false on a bad argument or handle (null, closed,
// unknown, repeated, count out of minCount..maxCount).
bool ResolveHandles(const Handle* handles, int count, int minCount, int maxCount,
                    EventList& events);

// The lowest index of a set event, or -1.
int FirstSet(const EventList& events);

// The events as wait sources, for WaitUntil.
std::vector<WaitSource*> SourcesOf(const EventList& events);

}  // namespace platform::detail
