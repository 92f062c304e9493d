// Builds the resource module (a ZIP pack) from the files of resources/ at build time.
//   velmora-respack OUTPUT FOLDER FILE...
// Each FILE is a path relative to FOLDER and is stored under that name ("csv/113.csv"). A file
// named "bitmaps.txt" is not stored: each of its lines "ID WIDTH HEIGHT RRGGBB" asks for a
// placeholder bitmap "bitmap/ID.bmp" of that size and colour, unless a listed file already supplies
// bitmap ID. The pack is written beside OUTPUT and renamed over it, so a build interrupted halfway
// never leaves a truncated pack; entry times are fixed, so equal inputs give equal packs.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <minizip/zip.h>
#include <sstream>
#include <string>
#include <vector>

namespace
{
struct sPlaceholder
{
    int width = 0;
    int height = 0;
    uint32_t colour = 0;
};

void PutLittle(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 24-bit bottom-up BMP: a solid face with a one-pixel frame of half its brightness, so that
// each control's area is visible when the placeholder skin is drawn.
std::string MakeBmp(const sPlaceholder& p)
{
    const uint32_t rowBytes = (static_cast<uint32_t>(p.width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(p.height);
    std::string out;
    out += "BM";
    PutLittle(out, 14 + 40 + pixelBytes, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 14 + 40, 4);
    PutLittle(out, 40, 4);
    PutLittle(out, static_cast<uint32_t>(p.width), 4);
    PutLittle(out, static_cast<uint32_t>(p.height), 4);
    PutLittle(out, 1, 2);
    PutLittle(out, 24, 2);
    PutLittle(out, 0, 4);
    PutLittle(out, pixelBytes, 4);
    PutLittle(out, 2835, 4);
    PutLittle(out, 2835, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 0, 4);
    const unsigned char r = (p.colour >> 16) & 0xFF, g = (p.colour >> 8) & 0xFF, b = p.colour & 0xFF;
    for (int y = 0; y < p.height; ++y)
    {
        std::string row;
        for (int x = 0; x < p.width; ++x)
        {
            bool frame = x == 0 || y == 0 || x == p.width - 1 || y == p.height - 1;
            int shift = frame ? 1 : 0;
            row += static_cast<char>(b >> shift);
            row += static_cast<char>(g >> shift);
            row += static_cast<char>(r >> shift);
        }
        row.resize(rowBytes, '\0');
        out += row;
    }
    return out;
}

bool ReadFile(const std::filesystem::path& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    out = all.str();
    return true;
}

bool ReadPlaceholders(const std::string& text, std::map<int, sPlaceholder>& out)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line))
    {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        int id;
        sPlaceholder p;
        std::string colour;
        if (!(fields >> id)) continue;
        if (!(fields >> p.width >> p.height >> colour) || p.width < 1 || p.height < 1 || p.width > 4096 ||
            p.height > 4096 || colour.size() != 6)
        {
            std::fprintf(stderr, "velmora-respack: bitmaps.txt line %d is not \"ID WIDTH HEIGHT RRGGBB\"\n",
                         number);
            return false;
        }
        p.colour = static_cast<uint32_t>(std::stoul(colour, nullptr, 16));
        if (!out.emplace(id, p).second)
        {
            std::fprintf(stderr, "velmora-respack: bitmap %d listed twice in bitmaps.txt\n", id);
            return false;
        }
    }
    return true;
}

bool AddEntry(zipFile zip, const std::string& name, const std::string& data)
{
    zip_fileinfo info{};
    info.tmz_date.tm_year = 2026;
    info.tmz_date.tm_mday = 1;
    return zipOpenNewFileInZip(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9) ==
               ZIP_OK &&
           zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK &&
           zipCloseFileInZip(zip) == ZIP_OK;
}

// "<type>/<id>" of an entry name, its extension dropped: "bitmap/101.png" -> "bitmap/101".
std::string ResourceKey(const std::string& name)
{
    return name.substr(0, name.find('.', name.find('/')));
}

int BitmapIdOf(const std::string& name)
{
    std::string key = ResourceKey(name);
    if (key.rfind("bitmap/", 0) != 0) return -1;
    std::string digits = key.substr(7);
    if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit))
        return -1;
    return std::stoi(digits);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: velmora-respack OUTPUT FOLDER FILE...\n");
        return 2;
    }
    const std::filesystem::path output = argv[1];
    const std::filesystem::path folder = argv[2];
    std::map<std::string, std::string> entries; // sorted by name: a stable pack
    std::map<int, sPlaceholder> placeholders;
    for (int i = 3; i < argc; ++i)
    {
        std::string name = argv[i];
        std::string data;
        if (!ReadFile(folder / name, data))
        {
            std::fprintf(stderr, "velmora-respack: cannot read %s\n", (folder / name).c_str());
            return 1;
        }
        if (std::filesystem::path(name).filename() == "bitmaps.txt")
        {
            if (!ReadPlaceholders(data, placeholders)) return 1;
            continue;
        }
        entries[name] = std::move(data);
    }
    // The launcher refuses a pack that names one resource twice ("bitmap/101.png" beside
    // "bitmap/101.bmp"); refuse it here already, where the cause is plain.
    std::map<std::string, std::string> keys;
    for (const auto& [name, data] : entries)
        if (auto [at, added] = keys.emplace(ResourceKey(name), name); !added)
        {
            std::fprintf(stderr, "velmora-respack: %s and %s name the same resource\n", at->second.c_str(),
                         name.c_str());
            return 1;
        }
    for (const auto& [name, data] : entries)
        placeholders.erase(BitmapIdOf(name));
    for (const auto& [id, p] : placeholders)
        entries["bitmap/" + std::to_string(id) + ".bmp"] = MakeBmp(p);

    std::filesystem::path partial = output;
    partial += ".partial";
    std::error_code ignored;
    std::filesystem::create_directories(output.parent_path(), ignored);
    zipFile zip = zipOpen(partial.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
    {
        std::fprintf(stderr, "velmora-respack: cannot create %s\n", partial.c_str());
        return 1;
    }
    bool ok = true;
    for (const auto& [name, data] : entries)
        if (!AddEntry(zip, name, data))
        {
            std::fprintf(stderr, "velmora-respack: cannot write entry %s\n", name.c_str());
            ok = false;
            break;
        }
    if (zipClose(zip, nullptr) != ZIP_OK) ok = false;
    std::error_code renamed;
    if (ok) std::filesystem::rename(partial, output, renamed);
    if (!ok || renamed)
    {
        std::filesystem::remove(partial, ignored);
        std::fprintf(stderr, "velmora-respack: %s not written\n", output.c_str());
        return 1;
    }
    return 0;
}
