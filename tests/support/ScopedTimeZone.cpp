#include "tests/support/ScopedTimeZone.h"

#include <time.h>

namespace testsupport
{

ScopedTimeZone::ScopedTimeZone(const std::string& rule) : m_env("TZ", rule)
{
    tzset();
}

ScopedTimeZone::sReload::~sReload()
{
    tzset();
}

} // namespace testsupport
