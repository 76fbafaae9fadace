#include "moxOptionsDialog.h"
#include "platform/Resources.h"

// The dialog's resources are RT_RCDATA resources of the library itself.
std::string FindDialogResource(const std::string& name) {
  return std::string(
      platform::FindRcDataOfAddress(reinterpret_cast<const void*>(&FindDialogResource), name));
}
