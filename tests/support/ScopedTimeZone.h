#pragma once
// Runs a scope in another local time zone (a TZ rule such as "KST-9"), so that local-time code is
// tested away from UTC whatever zone the machine is in. Not for tests that run threads meanwhile.
#include "tests/support/ScopedEnv.h"

#include <string>

namespace testsupport
{

class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const std::string& rule);

private:
    // Destroyed after m_env has put TZ back: the C library then reads it again.
    struct sReload
    {
        ~sReload();
    };
    sReload m_reload;
    ScopedEnv m_env;
};

} // namespace testsupport
