// Interface IDs that the SDK subset declares (DECLARE_CLASS_IID in its
// headers) but defines in no source file of its own: the editor view and its
// host frame, content scaling, and the Linux run loop a host lends the view.
// The values come from the declarations; this file only gives them storage.
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg {

DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
DEF_CLASS_IID(IPlugViewContentScaleSupport)

#if SMTG_OS_LINUX
namespace Linux {
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
DEF_CLASS_IID(IRunLoop)
} // namespace Linux
#endif

} // namespace Steinberg
