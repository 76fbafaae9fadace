#pragma once

#include "moxParamLst.h"
#include "threads/Thread_Common.h"

// A parameter list shared between threads: it owns the list and guards it with
// a multi-reader/single-writer lock, created on first use. Readers use the
// list between LockList and UnlockList, the writer between LockListForWrite
// and UnlockListForWrite.
class TmoxThreadParamsList : public TThreadObject {
 public:
  TmoxThreadParamsList() = default;

  TmoxParamsList* LockList();
  void UnlockList() { UnlockRead(); }
  TmoxParamsList* LockListForWrite();
  void UnlockListForWrite() { UnlockWrite(); }

 private:
  // The holder guards itself: the list is no TObject.
  TmoxParamsList FList;
};
