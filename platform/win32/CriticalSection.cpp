// The re-entrant lock on a system critical section, kept in the header's storage.
#include <windows.h>

#include "platform/Sync.h"

namespace platform {
namespace {

CRITICAL_SECTION* SectionIn(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= 64, "the section must fit the storage");

CriticalSection::CriticalSection() { InitializeCriticalSection(SectionIn(storage_)); }

CriticalSection::~CriticalSection() { DeleteCriticalSection(SectionIn(storage_)); }

void CriticalSection::Enter() { EnterCriticalSection(SectionIn(storage_)); }

bool CriticalSection::TryEnter() { return TryEnterCriticalSection(SectionIn(storage_)) != FALSE; }

void CriticalSection::Leave() { LeaveCriticalSection(SectionIn(storage_)); }

}  // namespace platform
