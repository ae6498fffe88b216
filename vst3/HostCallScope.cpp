#include "HostCallScope.h"

namespace toneloom {

thread_local int HostCallScope::depth = 0;

} // namespace toneloom
