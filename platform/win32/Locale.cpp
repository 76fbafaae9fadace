#include "platform/Locale.h"

#include <windows.h>

namespace platform {

char UserDecimalSeparator() {
  char text[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof(text)) < 2) return '.';
  return text[0];
}

}  // namespace platform
