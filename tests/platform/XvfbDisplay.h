// A virtual X server of the test program's own: Xvfb started on a free display
// number, DISPLAY pointed at it, stopped when the program ends.
#pragma once

#include <string>

namespace toneloom::testing {

// Starts Xvfb on first use and sets DISPLAY. False, with the reason in
// `error`, when it cannot be started.
bool EnsureVirtualDisplay(std::string* error);
// The process id of that server, -1 before it runs (for measuring its work).
int VirtualDisplayProcess();

} // namespace toneloom::testing
