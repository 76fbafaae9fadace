// NetLink-PRO frames from the fuzzer: the adapter's answers and bus telegrams, and
// the transport's receive path.
#include <cstddef>
#include <cstdint>

#include "GatewayFuzz.h"
#include "MpiTelegram.h"
#include "NetLinkTelegram.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nodave::Bytes telegram(data, data + size);
  nodave::NetLinkAnswerResult(telegram);
  nodave::IsForeignBusTelegram(telegram, 2, 0);
  FeedReceivePath(data, size, daveProtoNLPro);
  return 0;
}
