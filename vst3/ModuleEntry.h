// The module's own handle, for code that loads resources from the module.
#pragma once

namespace toneloom {

// The handle the host passed when it entered the module (on Linux the
// dlopen handle given to ModuleEntry); null before that.
void* ModuleHandle();

} // namespace toneloom
