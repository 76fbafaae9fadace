#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Options.h"
#include "RecordSink.h"

namespace plchost {

// Where the options send records: the record output in its format (the
// columns of the wide, CSV and JSON formats named by the plug-in's parser
// item text) and, with --mqtt, the broker. `screenRows` is the height of the
// terminal the output goes to (0: none), for the table's repeated header.
std::vector<std::unique_ptr<IRecordSink>> MakeRecordSinks(const TOptions& options,
                                                          std::ostream& out,
                                                          const std::string& parserItems,
                                                          size_t screenRows);

}  // namespace plchost
