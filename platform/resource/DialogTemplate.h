#pragma once
// A window template of the resource module ("dialog/<id>.json"): caption, client size, font and the
// template's own items. The skinned windows take their controls from position texts; the template
// gives the window itself and the default OK and Cancel items (1 and 2) that those windows hide.
//
// The text is untrusted: anything but a JSON object of this shape within the limits below is refused.
#include <cstddef>
#include <string>
#include <vector>

namespace platform::resource
{

constexpr size_t kMaxDialogTemplateBytes = 64u << 10;
constexpr size_t kMaxDialogItems = 64;
constexpr int kMaxDialogSide = 16384;

struct sDialogItem
{
    int id = 0;
    std::string itemClass; // "button", "static", "edit"
    std::wstring text;
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct sDialogTemplate
{
    int id = 0;
    std::wstring caption;
    int width = 0;
    int height = 0;
    std::wstring fontFace;
    int fontPoints = 0;
    std::vector<sDialogItem> items;
};

// False, with a one-line reason in error, for text that is not a valid template.
bool ParseDialogTemplate(const char* bytes, size_t size, sDialogTemplate& out, std::string* error = nullptr);

} // namespace platform::resource
