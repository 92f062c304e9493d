#include "platform/resource/DialogTemplate.h"

#include <gtest/gtest.h>

#include <string>

using platform::resource::ParseDialogTemplate;
using platform::resource::sDialogTemplate;

TEST(DialogTemplate, ReadsTheWindowAndItsItems)
{
    const std::string text = R"({"id": 142, "caption": "주의", "width": 360, "height": 150,
        "font": {"face": "굴림", "points": 8},
        "items": [{"id": 1, "class": "button", "text": "확인", "rect": [10, 20, 70, 40]},
                  {"id": 2, "text": "취소", "rect": [-5, 0, 0, 5]}]})";
    sDialogTemplate t;
    std::string error;
    ASSERT_TRUE(ParseDialogTemplate(text.data(), text.size(), t, &error)) << error;
    EXPECT_EQ(t.id, 142);
    EXPECT_EQ(t.caption, L"주의");
    EXPECT_EQ(t.width, 360);
    EXPECT_EQ(t.height, 150);
    EXPECT_EQ(t.fontFace, L"굴림");
    EXPECT_EQ(t.fontPoints, 8);
    ASSERT_EQ(t.items.size(), 2u);
    EXPECT_EQ(t.items[0].text, L"확인");
    EXPECT_EQ(t.items[0].right, 70);
    EXPECT_EQ(t.items[1].itemClass, "button") << "class defaults to a button";
    EXPECT_EQ(t.items[1].left, -5);
}

TEST(DialogTemplate, RefusesTextOfAnotherShape)
{
    std::string items70 = R"({"width": 10, "height": 10, "items": [)";
    for (int i = 0; i < 70; ++i)
        items70 += std::string(i ? "," : "") + R"({"id": 1, "rect": [0, 0, 1, 1]})";
    items70 += "]}";
    const struct
    {
        const char* what;
        std::string text;
    } cases[] = {
        {"not JSON", "<dialog/>"},
        {"cut short", R"({"width": 10, "height": )"},
        {"no width", R"({"height": 10})"},
        {"width not a number", R"({"width": "wide", "height": 10})"},
        {"zero height", R"({"width": 10, "height": 0})"},
        {"huge width", R"({"width": 100000, "height": 10})"},
        {"item without rect", R"({"width": 10, "height": 10, "items": [{"id": 1}]})"},
        {"rect of three", R"({"width": 10, "height": 10, "items": [{"id": 1, "rect": [1, 2, 3]}]})"},
        {"rect as object", R"({"width": 10, "height": 10, "items": [{"id": 1, "rect": {"l": 1}}]})"},
        {"too many items", items70},
        {"larger than the limit", std::string(platform::resource::kMaxDialogTemplateBytes + 1, ' ')},
    };
    for (const auto& c : cases)
    {
        sDialogTemplate t;
        t.width = 99;
        std::string error;
        EXPECT_FALSE(ParseDialogTemplate(c.text.data(), c.text.size(), t, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(t.width, 0) << c.what << ": a refused text leaves an empty template";
    }
    sDialogTemplate t;
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 0, t));
}
