#include "PpiLine.h"

#include "SerialLine.h"

namespace nodave {

int32_t ReceivePpiTelegram(daveInterface* di, Clock::time_point deadline, PpiTelegram& telegram,
                           bool& skipped) {
  Bytes window;  // what has been read of the telegram that may start at its first byte
  for (;;) {
    const size_t wanted = window.empty() ? 1 : PpiTelegramSize(window.data(), window.size());
    if (wanted == 0) {  // nothing starts here: look again from the next byte
      window.erase(window.begin());
      skipped = true;
      continue;
    }
    if (window.size() < wanted) {
      const size_t had = window.size();
      window.resize(wanted);
      const int32_t result = LineRead(di, window.data() + had, wanted - had, deadline);
      if (result != daveResOK) {
        return result;
      }
      continue;
    }
    if (window.size() > wanted) {  // a short ack among the bytes of a broken header
      window.resize(wanted);
      skipped = true;
    }
    const int32_t result = ParsePpiTelegram(window, telegram);
    if (result == daveResOK || window[0] == kPpiVariable) {
      return result;
    }
    window.erase(window.begin());  // a damaged fixed telegram: perhaps one starts inside
    skipped = true;
  }
}

}  // namespace nodave
