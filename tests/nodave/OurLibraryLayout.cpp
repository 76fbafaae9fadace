#include "OurLibraryLayout.h"

#include "nodave.h"

namespace nodave_test {

TLibraryLayout OurLibraryLayout() {
  return {offsetof(daveInterface, timeout), offsetof(daveInterface, fd.rfd),
          offsetof(daveInterface, fd.wfd),  offsetof(daveInterface, readFn),
          offsetof(daveInterface, writeFn), offsetof(daveInterface, userData),
          offsetof(daveInterface, debugFn), offsetof(daveConnection, maxPDUlength),
          sizeof(daveOSserialType)};
}

}  // namespace nodave_test
