// Marks the time a thread spends inside one of the host's calls into the
// plug-in (a parameter set, a state load, a program-list query, setup,
// activation, ...).
//
// Hosts often hold their own locks around such a call, and some take the
// same lock again when the plug-in calls them back (Ardour's program change
// holds a non-recursive lock that its restartComponent takes again: calling
// it from inside froze the host for good). So while a scope is open on a
// thread, nothing on that thread calls the host's component handler; what
// the host must learn is held back and delivered after its call returned.
//
// The count is per thread and module-wide: one host call into any instance
// is enough, since the host's lock is not per instance.
#pragma once

namespace toneloom {

class HostCallScope
{
public:
    HostCallScope() { ++depth; }
    ~HostCallScope() { --depth; }
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;

    // True while the calling thread is inside a host call.
    static bool Inside() { return depth > 0; }

private:
    static thread_local int depth;
};

} // namespace toneloom
