#pragma once

#include <cstddef>

namespace nodave_test {

// Where our protocol library's own header places the record members that the
// link touches (kept apart: that header's constants share the link's names).
struct TLibraryLayout {
  size_t timeout;
  size_t readHandle;
  size_t writeHandle;
  size_t readFunc;
  size_t writeFunc;
  size_t userData;
  size_t debugFunc;
  size_t maxPDUlength;
  size_t handlePairSize;
};

TLibraryLayout OurLibraryLayout();

}  // namespace nodave_test
