#include "tests/support/TestData.h"

#include <random>

namespace testsupport
{

std::string RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(rng());
    return s;
}

std::string PatternBytes(size_t n, unsigned step, unsigned stride)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * step + i / stride);
    return s;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected) return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
        ++i;
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " vs " << expected.size() << ", first difference at byte " << i;
}

} // namespace testsupport
