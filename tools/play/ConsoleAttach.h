// toneloom-play is a windowed program on Windows (no console of its own, so
// none opens when it is started from Explorer or the Start menu). Started
// from a console, it still writes its help, device list, status line and
// errors there.
#pragma once

namespace toneloom {

// On Windows: where standard output or error is not already a usable handle
// (a file or pipe it was redirected to, or a console), attaches to the
// console of the process that started the program, if it has one, and
// reopens them on it. Call first thing in main, before anything is written.
// Elsewhere it does nothing.
void AttachParentConsole();

} // namespace toneloom
