// The re-entrant lock, kept in the storage that the header reserves.
#include <mutex>
#include <new>

#include "platform/Sync.h"

namespace platform {
namespace {

std::recursive_mutex& MutexIn(unsigned char* storage) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}

}  // namespace

static_assert(sizeof(std::recursive_mutex) <= 64 && alignof(std::recursive_mutex) <= 8,
              "the lock must fit the storage of CriticalSection");

CriticalSection::CriticalSection() { new (storage_) std::recursive_mutex; }

CriticalSection::~CriticalSection() { MutexIn(storage_).~recursive_mutex(); }

void CriticalSection::Enter() { MutexIn(storage_).lock(); }

bool CriticalSection::TryEnter() { return MutexIn(storage_).try_lock(); }

void CriticalSection::Leave() { MutexIn(storage_).unlock(); }

}  // namespace platform
