#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "E2eHost.h"
#include "moxShared/Public/Common/moxVarConvert.h"

namespace e2e {

// Skips the test when the Snap7 peer is not running.
#define E2E_REQUIRE_PEER()                                                    \
  do {                                                                        \
    std::string peerHost;                                                     \
    int peerPort = 0;                                                         \
    if (!::e2e::PeerAddress(peerHost, peerPort)) {                            \
      GTEST_SKIP() << "MOX_SNAP7_ADDR is not set: start the Snap7 peer with " \
                      "scripts/peers.sh (source it, then peers_start)";       \
    }                                                                         \
  } while (false)

// Equal type and value; doubles within rounding, NaN equal to NaN. Records
// carry text as automation strings; an expected 8-bit text is compared as such.
inline ::testing::AssertionResult SameValue(const TVariant& actual, const TVariant& expected) {
  if (expected.Type() == VarType::AnsiStr && actual.Type() == VarType::BStr) {
    if (VarToAnsi(actual) == VarToAnsi(expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << VarToAnsi(actual) << "\" instead of \"" << VarToAnsi(expected) << "\"";
  }
  if (actual.Type() != expected.Type()) {
    return ::testing::AssertionFailure() << "type " << VarTypeName(actual.Type()) << " instead of "
                                         << VarTypeName(expected.Type());
  }
  if (actual.Type() == VarType::R8) {
    const double a = actual.Data().R8;
    const double b = expected.Data().R8;
    if ((std::isnan(a) && std::isnan(b)) || a == b || std::fabs(a - b) <= 1e-12 * std::fabs(b)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << a << " instead of " << b;
  }
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "\"" << VarToAnsi(actual) << "\" instead of \"" << VarToAnsi(expected) << "\"";
}

}  // namespace e2e
