#pragma once

#include <cstdint>
#include <vector>

#include "threads/Thread_Common.h"

// An ordered list of object references; a list created as owning frees the
// objects that it removes, clears or still holds when it is destroyed.
class TObjectList : public TObject {
 public:
  using const_iterator = std::vector<TObject*>::const_iterator;

  explicit TObjectList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  ~TObjectList() noexcept override;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  bool OwnsObjects() const { return ownsObjects_; }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raises std::out_of_range for an index outside 0..Count-1.
  TObject* operator[](int32_t index) const;
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

  // Returns the new entry's index.
  int32_t Add(TObject* object);
  // Index of the first entry holding `object`, or -1.
  int32_t IndexOf(const TObject* object) const;
  void Delete(int32_t index);
  // Deletes the first entry holding `object`; returns its former index, or -1.
  int32_t Remove(const TObject* object);
  void Clear();

 private:
  void CheckIndex(int32_t index) const;
  void Release(TObject* object) const;

  std::vector<TObject*> items_;
  bool ownsObjects_;
};

// A TObjectList guarded by a multi-reader/single-writer lock.
class TThreadObjectList : public TThreadObject {
 public:
  explicit TThreadObjectList(bool ownsObjects);
  ~TThreadObjectList() noexcept override;

  // Exclusive access; released with UnlockWrite or Unlock.
  TObjectList* LockList() { return LockWrite(); }
  TObjectList* LockWrite() { return static_cast<TObjectList*>(TThreadObject::LockWrite()); }
  TObjectList* LockRead() { return static_cast<TObjectList*>(TThreadObject::LockRead()); }

  void Add(TObject* object);
  void Clear();
  int32_t Count();

 private:
  TObjectList list_;
};
