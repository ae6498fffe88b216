#include "ConsoleAttach.h"

#if defined(_WIN32)

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace toneloom {

namespace {

// A handle a standard stream can write to: a file, pipe or console. A windowed
// program started without redirection gets none (null), or one left over
// from its parent that no longer names anything (of unknown type).
bool Usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// Points `stream` and the standard handle `which` at the console.
void ReopenOnConsole(FILE* stream, DWORD which)
{
    if (std::freopen("CONOUT$", "w", stream) == nullptr) {
        return;
    }
    const intptr_t handle = _get_osfhandle(_fileno(stream));
    if (handle != -1) {
        SetStdHandle(which, reinterpret_cast<HANDLE>(handle));
    }
}

} // namespace

void AttachParentConsole()
{
    const bool outUsable = Usable(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool errUsable = Usable(GetStdHandle(STD_ERROR_HANDLE));
    if (outUsable && errUsable) {
        return;
    }
    // Fails when the parent has no console (Explorer, the Start menu): then
    // there is nowhere to write, and the window says what matters.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    if (!outUsable) {
        ReopenOnConsole(stdout, STD_OUTPUT_HANDLE);
    }
    if (!errUsable) {
        ReopenOnConsole(stderr, STD_ERROR_HANDLE);
    }
}

} // namespace toneloom

#else

namespace toneloom {

void AttachParentConsole()
{
}

} // namespace toneloom

#endif
