// WarnOfUnreadableControllers on Linux: game controllers whose event node
// this user cannot open, which SDL therefore never lists.
#include <cstdio>

#include "platform/access_hint.h"
#include "platform/linux/controller_nodes.h"
#include "support/program_name.h"

void WarnOfUnreadableControllers() {
  const int unreadable = UnreadableGameControllers(SystemRoots());
  if (unreadable == 0) return;
  std::fprintf(stderr,
               "%s: %d game controller%s cannot be read by this user and will not be seen; "
               "'padwatch-check --doctor' says why and how to fix it\n",
               ProgramName(), unreadable, unreadable == 1 ? "" : "s");
}
