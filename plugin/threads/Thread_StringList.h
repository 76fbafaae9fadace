#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "threads/Thread_Common.h"

// One line of a string list with the integer attached to it.
struct TStringEntry {
  std::string Text;
  intptr_t Data = 0;
};

// An unsorted list of strings; duplicates are allowed.
using TStringList = std::vector<TStringEntry>;

// A string list with its own multi-reader/single-writer lock.
class TThreadStringList : public TObject {
 public:
  TThreadStringList() = default;
  ~TThreadStringList() noexcept override;
  TThreadStringList(const TThreadStringList&) = delete;
  TThreadStringList& operator=(const TThreadStringList&) = delete;

  // Exclusive access; LockList and LockWrite take the same lock.
  TStringList* LockList() { return LockWrite(); }
  void UnlockList() { UnlockWrite(); }
  TStringList* LockWrite();
  void UnlockWrite();
  TStringList* LockRead();
  void UnlockRead();

  int32_t Count();

 private:
  TReadWriteLock lock_;
  TStringList list_;
};
