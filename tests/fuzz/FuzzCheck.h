#pragma once

// A failed check is a crash that the fuzzer keeps as a finding.

inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}
