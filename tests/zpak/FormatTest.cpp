#include "zpak/common/Format.h"

#include <gtest/gtest.h>

TEST(Format, WideConversionsFollowTheLauncherConvention)
{
    EXPECT_EQ(
        ZP::FormatWide(100, L"%s|%ls|%hs|%S|%c|%hc", L"wide", L"wide2", "narrow", "narrow2", L'가', 'n'),
        L"wide|wide2|narrow|narrow2|가|n");
    EXPECT_EQ(ZP::FormatWide(100, L"%5d|%-3s|%lld|%u|%%|%08x", 42, L"a", 1LL << 40, 7u, 0xbeefu),
              L"   42|a  |1099511627776|7|%|0000beef");
    EXPECT_EQ(ZP::FormatNarrow(100, "%s-%d", "n", 5), "n-5");
}

TEST(Format, OutputIsCutNeverOverrun)
{
    std::wstring longArg(5000, L'y');
    std::wstring out = ZP::FormatWide(10, L"ab%s", longArg.c_str());
    EXPECT_EQ(out, L"abyyyyyyyy");
    EXPECT_EQ(ZP::FormatNarrow(3, "%s", "abcdef"), "abc");
    EXPECT_EQ(ZP::FormatWide(10, nullptr), L"");
}
