#include "threads/Thread_ObjectList.h"

#include <algorithm>
#include <stdexcept>
#include <string>

// --- TObjectList

TObjectList::~TObjectList() noexcept { Clear(); }

void TObjectList::CheckIndex(int32_t index) const {
  if (index < 0 || index >= Count()) {
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  }
}

void TObjectList::Release(TObject* object) const {
  if (ownsObjects_) {
    FreeObject(object);
  }
}

TObject* TObjectList::operator[](int32_t index) const {
  CheckIndex(index);
  return items_[index];
}

int32_t TObjectList::Add(TObject* object) {
  items_.push_back(object);
  return Count() - 1;
}

int32_t TObjectList::IndexOf(const TObject* object) const {
  auto found = std::find(items_.begin(), items_.end(), object);
  return found == items_.end() ? -1 : static_cast<int32_t>(found - items_.begin());
}

void TObjectList::Delete(int32_t index) {
  CheckIndex(index);
  TObject* object = items_[index];
  items_.erase(items_.begin() + index);
  Release(object);
}

int32_t TObjectList::Remove(const TObject* object) {
  const int32_t index = IndexOf(object);
  if (index >= 0) {
    Delete(index);
  }
  return index;
}

void TObjectList::Clear() {
  // Detach first, so that a destructor that looks at the list sees it empty.
  std::vector<TObject*> removed;
  removed.swap(items_);
  for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
    Release(*it);
  }
}

// --- TThreadObjectList

TThreadObjectList::TThreadObjectList(bool ownsObjects)
    : TThreadObject(&list_), list_(ownsObjects) {}

TThreadObjectList::~TThreadObjectList() noexcept {
  // Wait for any holder to leave before the objects go.
  TWriteGuard<TThreadObjectList> guard(*this);
  guard->Clear();
}

void TThreadObjectList::Add(TObject* object) {
  TWriteGuard<TThreadObjectList> guard(*this);
  guard->Add(object);
}

void TThreadObjectList::Clear() {
  TWriteGuard<TThreadObjectList> guard(*this);
  guard->Clear();
}

int32_t TThreadObjectList::Count() {
  TReadGuard<TThreadObjectList> guard(*this);
  return guard->Count();
}
