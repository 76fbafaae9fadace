// The frame receive path of the Step 7 link to an MPI adapter (code 2).
#include "MpiFuzzLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mpi_fuzz::Converse(daveProtoMPI3, data, size);
  return 0;
}
