// The 3964R receive path of the MPI adapter protocols (code 0; codes 1 and 3 share it).
#include "MpiFuzzLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  mpi_fuzz::Converse(daveProtoMPI, data, size);
  return 0;
}
