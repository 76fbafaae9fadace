#include "PluginCommand.h"

#include "CallRecord.h"

namespace host {

TCommandResult RunCommand(TExecutePluginCommand execute, const TPluginCallRec& base,
                          const std::string& command, const TCommandParams& params,
                          bool withResult) {
  THostParams list;
  list.Set("COMMAND", TVariant::OfAnsi(command));
  for (const auto& [name, value] : params) list.Set(name, value);
  if (withResult) list.Set("RESULT", TVariant());
  TPluginCallRec record = base;
  record.Size = kCallRecSize;
  record.Params = list.AsInterfaceRef();
  TCommandResult result;
  result.Code = execute(&record);
  result.Result = list.Get("RESULT");
  return result;
}

}  // namespace host
