#include "threads/Thread_StringList.h"

TThreadStringList::~TThreadStringList() noexcept {
  // Wait for any holder to leave before the strings go.
  TWriteGuard<TThreadStringList> guard(*this);
  guard->clear();
}

TStringList* TThreadStringList::LockWrite() {
  lock_.BeginWrite();
  return &list_;
}

void TThreadStringList::UnlockWrite() { lock_.EndWrite(); }

TStringList* TThreadStringList::LockRead() {
  lock_.BeginRead();
  return &list_;
}

void TThreadStringList::UnlockRead() { lock_.EndRead(); }

int32_t TThreadStringList::Count() {
  TReadGuard<TThreadStringList> guard(*this);
  return static_cast<int32_t>(guard->size());
}
