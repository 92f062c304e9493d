#pragma once
// Test data shared by the suites.
#include <gtest/gtest.h>
#include <string>

namespace testsupport
{

// n pseudo-random bytes, the same for the same seed.
std::string RandomBytes(size_t n, unsigned seed);

// n bytes of a simple pattern (byte i is i * step + i / stride): they compress well, yet a wrong
// offset or a repeated block never reproduces them.
std::string PatternBytes(size_t n, unsigned step, unsigned stride);

// Compares two byte strings without printing megabytes of binary on a failure.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

} // namespace testsupport
