#include "platform/text/TextCodec.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "zpak/codec/ZipMgr.h"
#include "zpak/crc/Crc32.h"
#include "zpak/file/File.h"
#include "zpak/file/FileHttp.h"
#include "zpak/info/FileInfoUtil.h"

#include <gtest/gtest.h>
#include <random>

using namespace ZP;

namespace
{
std::string Bytes(size_t n, unsigned seed, bool compressible = true)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = compressible ? static_cast<char>("velmora pak data "[rng() % 17]) : static_cast<char>(rng());
    return s;
}

uint32_t Crc(const std::string& s)
{
    return CCrc32::Get().Update(s.data(), s.size(), 0);
}

std::string Zlib(const std::string& plain)
{
    char* out = nullptr;
    uint32_t n = 0;
    EXPECT_TRUE(Compress(kZipZlib, &out, &n, plain.data(), static_cast<uint32_t>(plain.size())));
    std::string s(out, n);
    FreeBuffer(out);
    return s;
}

struct sFiles
{
    testsupport::TempDir dir;
    CFile source, destination;
    void Open(const std::string& content)
    {
        std::wstring src = dir.WriteFile(L"src.bin", content);
        ASSERT_EQ(source.Open(src.c_str(), kModeRead, 0), 1);
        ASSERT_EQ(destination.Open(dir.Join(L"dst.bin").c_str(), kModeCreate, 0), 1);
    }
    std::string Written()
    {
        destination.Close();
        return dir.ReadFile(L"dst.bin");
    }
};
} // namespace

TEST(Transfer, CopyPlainFillsTheCheckValues)
{
    sFiles f;
    std::string data = Bytes(300000, 1, false);
    f.Open(data);
    CFileInfo record;
    EXPECT_EQ(CFileInfoUtil::CopyPlain(&f.source, &f.destination, 300000, &record), 300000u);
    EXPECT_EQ(record.base.OrgCrc, Crc(data));
    EXPECT_EQ(record.base.ZipCrc, Crc(data));
    EXPECT_EQ(record.base.OrgSum, record.base.ZipSum);
    EXPECT_TRUE(record.HasCrc());
    EXPECT_TRUE(f.Written() == data);

    sFiles g;
    g.Open(data);
    EXPECT_EQ(CFileInfoUtil::CopyPlain(&g.source, &g.destination, 0, nullptr), 0u);
    g.source.Close();
    EXPECT_EQ(CFileInfoUtil::CopyPlain(&g.source, &g.destination, 10, nullptr), 0u) << "a closed source";
}

TEST(Transfer, StoreCodedCompressesAndRecordsWhatIsStored)
{
    std::string data = Bytes(200000, 2);
    for (int method : {kZipZlib, kZipLzma})
    {
        sFiles f;
        f.Open(data);
        CFileInfo record;
        record.base.zip = static_cast<uint32_t>(method);
        uint32_t written = CFileInfoUtil::StoreCoded(&f.source, &f.destination, 200000, &record);
        std::string stored = f.Written();
        ASSERT_EQ(written, stored.size());
        EXPECT_LT(written, 200000u);
        EXPECT_EQ(record.base.size, written);
        EXPECT_EQ(record.base.unzipsize, 200000u);
        EXPECT_EQ(record.base.OrgCrc, Crc(data));
        EXPECT_EQ(record.base.ZipCrc, Crc(stored));
        char* plain = nullptr;
        ASSERT_TRUE(Decompress(method, &plain, 200000, stored.data(), written));
        EXPECT_TRUE(std::string(plain, 200000) == data);
        FreeBuffer(plain);
    }

    // No key is configured: an encryption method cannot be applied, and the record then says the
    // data is stored in the clear instead of naming a method nobody could undo.
    sFiles f;
    f.Open(data);
    CFileInfo record;
    record.base.enc = 1;
    ASSERT_EQ(CFileInfoUtil::StoreCoded(&f.source, &f.destination, 200000, &record), 200000u);
    EXPECT_EQ(record.base.enc, 0u);
    EXPECT_TRUE(f.Written() == data);
}

TEST(Transfer, DownloadDecodeChecksEveryStageAndWritesThePlainBytes)
{
    std::string plain = Bytes(150000, 3);
    std::string stream = Zlib(plain);
    auto recordFor = [&](uint32_t loc)
    {
        CFileInfo r;
        r.base.size = static_cast<uint32_t>(stream.size());
        r.base.unzipsize = static_cast<uint32_t>(plain.size());
        r.base.ZipCrc = Crc(stream);
        r.base.OrgCrc = Crc(plain);
        r.base.CrcSign = CRC_SIGN;
        r.base.Loc = loc;
        return r;
    };
    {
        sFiles f;
        f.Open(stream);
        CFileInfo r = recordFor(kLocPak);
        EXPECT_EQ(CFileInfoUtil::DownloadDecode(&f.source, &f.destination, &r), plain.size());
        EXPECT_TRUE(f.Written() == plain);
    }
    struct
    {
        const char* what;
        void (*spoil)(CFileInfo&);
    } failures[] = {
        {"stream CRC", [](CFileInfo& r) { r.base.ZipCrc ^= 1; }},
        {"plain CRC", [](CFileInfo& r) { r.base.OrgCrc ^= 1; }},
        {"not a packed record", [](CFileInfo& r) { r.base.Loc = kLocLoose; }},
        {"announced size larger than the stream", [](CFileInfo& r) { r.base.size += 10; }},
        {"gigabytes announced for a small stream", [](CFileInfo& r) { r.base.unzipsize = 0xF0000000u; }},
        {"stream inflating past its announced size", [](CFileInfo& r) { r.base.unzipsize -= 1; }},
    };
    for (const auto& c : failures)
    {
        sFiles f;
        f.Open(stream);
        CFileInfo r = recordFor(kLocPak);
        c.spoil(r);
        EXPECT_EQ(CFileInfoUtil::DownloadDecode(&f.source, &f.destination, &r), 0u) << c.what;
    }
}

TEST(Transfer, DownloadDecodeRetriesACutHttpStream)
{
    std::string plain = Bytes(400000, 4);
    std::string stream = Zlib(plain) + Bytes(5000, 9, false); // more data after the record's bytes
    testsupport::TestHttpServer server;
    server.SetContent("/Datas/file.dat", stream);
    server.SetFault("/Datas/file.dat", {.cutAfterBytes = 1000, .times = 1});
    CFileInfo r;
    r.base.size = static_cast<uint32_t>(stream.size() - 5000);
    r.base.unzipsize = static_cast<uint32_t>(plain.size());
    r.base.ZipCrc = Crc(stream.substr(0, r.base.size));
    r.base.OrgCrc = Crc(plain);
    r.base.CrcSign = CRC_SIGN;
    r.base.Loc = kLocPak;

    CFileHttp http;
    std::wstring url = platform::text::Utf8ToWide(server.Url("/Datas/file.dat"));
    ASSERT_EQ(http.Open(url.c_str(), kModeRead, 0), 1);
    sFiles f;
    f.Open("");
    EXPECT_EQ(CFileInfoUtil::DownloadDecode(&http, &f.destination, &r), plain.size());
    EXPECT_TRUE(f.Written() == plain);
    EXPECT_EQ(server.RequestCount("/Datas/file.dat"), 2);
}

TEST(Transfer, DownloadRawCopiesExactlyTheRecordSize)
{
    std::string data = Bytes(250000, 5, false);
    {
        sFiles f;
        f.Open(data + "excess");
        CFileInfo r;
        r.base.size = static_cast<uint32_t>(data.size());
        r.base.ZipCrc = Crc(data);
        r.base.CrcSign = CRC_SIGN;
        EXPECT_EQ(CFileInfoUtil::DownloadRaw(&f.source, &f.destination, &r), data.size());
        EXPECT_TRUE(f.Written() == data) << "the excess is not written";
    }
    {
        // A source shorter than the record is a failure even without check values.
        sFiles f;
        f.Open(data.substr(0, 1000));
        CFileInfo r;
        r.base.size = static_cast<uint32_t>(data.size());
        EXPECT_EQ(CFileInfoUtil::DownloadRaw(&f.source, &f.destination, &r), 0u);
    }
    {
        sFiles f;
        f.Open(data);
        CFileInfo r;
        r.base.size = static_cast<uint32_t>(data.size());
        r.base.ZipCrc = Crc(data) ^ 1;
        r.base.CrcSign = CRC_SIGN;
        EXPECT_EQ(CFileInfoUtil::DownloadRaw(&f.source, &f.destination, &r), 0u);
    }
}
