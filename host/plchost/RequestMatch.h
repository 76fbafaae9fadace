#pragma once

#include <vector>

#include "DataRecord.h"
#include "RequestPlan.h"

namespace plchost {

// The index of the request a record answers: the first request that names one
// of the record's values, else a request without values reading the record's
// area and block; -1 when none does.
int MatchRequest(const std::vector<TPlannedRequest>& requests, const host::TDataRecord& record);

}  // namespace plchost
