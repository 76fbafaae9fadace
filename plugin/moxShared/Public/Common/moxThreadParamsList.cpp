#include "moxThreadParamsList.h"

TmoxParamsList* TmoxThreadParamsList::LockList() {
  LockRead();
  return &FList;
}

TmoxParamsList* TmoxThreadParamsList::LockListForWrite() {
  LockWrite();
  return &FList;
}
