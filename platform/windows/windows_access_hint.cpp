// WarnOfUnreadableControllers on Windows: XInput serves every user alike,
// so there is nothing this user may be kept from.
#include "platform/access_hint.h"

void WarnOfUnreadableControllers() {}
