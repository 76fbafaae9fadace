#include "moxOptionsDialog.h"

// The library carries no dialog resources yet: every lookup finds none, and
// the dialog export answers that there is no dialog.
std::string FindDialogResource(const std::string& /*name*/) { return {}; }
