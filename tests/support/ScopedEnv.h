#pragma once
// Sets (or removes) one environment variable for one scope; the previous state comes back when the
// scope ends. Not for tests that run threads reading the environment meanwhile.
#include <optional>
#include <string>

namespace testsupport
{

class ScopedEnv
{
public:
    // value nullopt removes the variable for the scope.
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    // A null value removes the variable (a plain char pointer must never become a std::string).
    ScopedEnv(std::string name, const char* value)
        : ScopedEnv(std::move(name), value ? std::optional<std::string>(value) : std::nullopt)
    {
    }
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace testsupport
