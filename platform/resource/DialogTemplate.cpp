#include "platform/resource/DialogTemplate.h"

#include "platform/text/TextCodec.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <sstream>

namespace platform::resource
{
namespace
{
using boost::property_tree::ptree;

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

// Reads "rect": [left, top, right, bottom] with each corner inside the window's side limit.
bool ReadRect(const ptree& node, sDialogItem& item)
{
    std::vector<int> corners;
    for (const auto& [key, value] : node)
    {
        if (!key.empty() || corners.size() == 4) return false;
        corners.push_back(value.get_value<int>());
    }
    if (corners.size() != 4) return false;
    for (int c : corners)
        if (!InRange(c, -kMaxDialogSide, kMaxDialogSide)) return false;
    item.left = corners[0];
    item.top = corners[1];
    item.right = corners[2];
    item.bottom = corners[3];
    return true;
}
} // namespace

bool ParseDialogTemplate(const char* bytes, size_t size, sDialogTemplate& out, std::string* error)
{
    auto fail = [error](const char* why)
    {
        if (error) *error = why;
        return false;
    };
    out = sDialogTemplate{};
    if (!bytes || size == 0) return fail("empty dialog template");
    if (size > kMaxDialogTemplateBytes) return fail("dialog template too large");
    ptree root;
    sDialogTemplate parsed;
    // Boost reports malformed text and wrong value types by exceptions; none may leave this layer.
    try
    {
        std::istringstream in(std::string(bytes, size));
        boost::property_tree::read_json(in, root);
        parsed.id = root.get<int>("id", 0);
        parsed.caption = text::Utf8ToWide(root.get<std::string>("caption", ""));
        parsed.width = root.get<int>("width");
        parsed.height = root.get<int>("height");
        parsed.fontFace = text::Utf8ToWide(root.get<std::string>("font.face", ""));
        parsed.fontPoints = root.get<int>("font.points", 0);
        if (!InRange(parsed.width, 1, kMaxDialogSide) || !InRange(parsed.height, 1, kMaxDialogSide) ||
            !InRange(parsed.fontPoints, 0, 256))
            return fail("dialog template size or font out of range");
        if (auto items = root.get_child_optional("items"))
            for (const auto& [key, node] : *items)
            {
                if (!key.empty()) return fail("dialog template items is not a list");
                if (parsed.items.size() == kMaxDialogItems) return fail("dialog template has too many items");
                sDialogItem item;
                item.id = node.get<int>("id");
                item.itemClass = node.get<std::string>("class", "button");
                item.text = text::Utf8ToWide(node.get<std::string>("text", ""));
                auto rect = node.get_child_optional("rect");
                if (!rect || !ReadRect(*rect, item)) return fail("dialog template item without a valid rect");
                parsed.items.push_back(std::move(item));
            }
    }
    catch (const std::exception&)
    {
        return fail("dialog template is not valid JSON of the expected shape");
    }
    out = std::move(parsed);
    if (error) error->clear();
    return true;
}

} // namespace platform::resource
