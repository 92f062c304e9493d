// Encryption registry: published known answers, length domains, key handling and the zero key.
#include "tests/support/CodecOutput.h"
#include "zpak/codec/AesEncoder.h"
#include "zpak/codec/EncodeMgr.h"
#include "zpak/codec/TeaEncoder.h"
#include "zpak/file/FileBase.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
using sOutput = testsupport::sCodecOutput;

std::string Hex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Words as the codecs read them from bytes: little-endian.
std::string LittleEndian(std::initializer_list<uint32_t> words)
{
    std::string bytes;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>(w >> (8 * i)));
    return bytes;
}

std::string Sample(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>(i * 37 + 11));
    return s;
}

ZP::IEncoder& EncoderOf(int method)
{
    return *ZP::GetEncodeMgr().GetEncoder(method);
}

bool EncryptTo(int method, const std::string& input, std::string* result, uint32_t prefix = 0)
{
    sOutput out;
    bool ok = ZP::Encrypt(method, &out.data, &out.length, input.data(), static_cast<uint32_t>(input.size()),
                          prefix);
    EXPECT_EQ(ok, out.data != nullptr) << "failure must leave no output";
    if (ok) *result = out.Str(out.length);
    return ok;
}

bool DecryptTo(int method, uint32_t expected, const std::string& input, std::string* result,
               uint32_t prefix = 0)
{
    sOutput out;
    bool ok =
        ZP::Decrypt(method, &out.data, expected, input.data(), static_cast<uint32_t>(input.size()), prefix);
    EXPECT_EQ(ok, out.data != nullptr) << "failure must leave no output";
    if (ok) *result = out.Str(expected);
    return ok;
}

// The registry is process-wide and every encoder starts without a key; each test leaves it so.
class CodecEncrypt : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (int method = 1; method < ZP::CEncodeMgr::kSlotCount; ++method)
            EncoderOf(method).ClearKey();
    }
};
} // namespace

TEST_F(CodecEncrypt, UnknownMethodsAndUsedOutputSlotsFail)
{
    const std::string data = Sample(32);
    std::string out;
    for (int method : {-1, 0, 5, 9})
    {
        EXPECT_FALSE(EncryptTo(method, data, &out)) << method;
        EXPECT_FALSE(DecryptTo(method, 32, data, &out)) << method;
    }
    char keep = 0;
    char* used = &keep;
    uint32_t length = 0;
    EXPECT_FALSE(ZP::Encrypt(ZP::kEncSimple, &used, &length, data.data(), 32));
    EXPECT_FALSE(ZP::Decrypt(ZP::kEncSimple, &used, 32, data.data(), 32));
    EXPECT_EQ(used, &keep);
}

// FIPS-197 appendix C.3; only the first block is transformed and the tail stays as it is.
TEST_F(CodecEncrypt, AesMatchesFips197AndLeavesTheTail)
{
    const std::string key = Hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    ASSERT_TRUE(EncoderOf(ZP::kEncAes).SetKey(key.data(), 32));
    const std::string tail = Sample(21);
    const std::string plain = Hex("00112233445566778899aabbccddeeff") + tail;
    std::string cipher, back;
    ASSERT_TRUE(EncryptTo(ZP::kEncAes, plain, &cipher));
    EXPECT_EQ(cipher, Hex("8ea2b7ca516745bfeafc49904b496089") + tail);
    ASSERT_TRUE(DecryptTo(ZP::kEncAes, static_cast<uint32_t>(cipher.size()), cipher, &back));
    EXPECT_EQ(back, plain);

    // One block exactly works; shorter data and a length mismatch on decryption do not.
    EXPECT_TRUE(EncryptTo(ZP::kEncAes, plain.substr(0, 16), &cipher));
    EXPECT_FALSE(EncryptTo(ZP::kEncAes, plain.substr(0, 15), &cipher));
    EXPECT_FALSE(DecryptTo(ZP::kEncAes, 15, plain.substr(0, 15), &back));
    EXPECT_FALSE(DecryptTo(ZP::kEncAes, 20, plain.substr(0, 24), &back));
}

// Published XTEA vectors, given there as 32-bit words: the 32- and 64-cycle rows of the cycled test
// table of the TEA/XTEA test vector page (the state just before that step, the key being the four
// words after it) and an endian-neutral vector posted to sci.crypt. The codecs read key words and
// block halves little-endian from bytes, so every word is laid out little-endian here.
TEST_F(CodecEncrypt, XteaMatchesPublishedVectors)
{
    struct sVector
    {
        int method;
        std::initializer_list<uint32_t> key, plain, cipher;
    } vectors[] = {
        {ZP::kEncTea,
         {0x27f917b1, 0xc1da8993, 0x60e2acaa, 0xa6eb923d},
         {0xaf20a390, 0x547571aa},
         {0xd26428af, 0x0a202283}},
        {ZP::kEncTea,
         {0x01020201, 0x03040403, 0x05060605, 0x07080807},
         {0x11222211, 0x33444433},
         {0x9F775B19, 0xD1C7121D}},
        {ZP::kEncXTea,
         {0x62ee209f, 0x069b7afc, 0x376a8936, 0xcdc9e923},
         {0x2e6c1fe7, 0xf5571f9d},
         {0x7a01cbc9, 0xb03d6068}},
    };
    for (const sVector& v : vectors)
    {
        const std::string key = LittleEndian(v.key);
        ASSERT_TRUE(EncoderOf(v.method).SetKey(key.data(), 16));
        std::string cipher, back;
        ASSERT_TRUE(EncryptTo(v.method, LittleEndian(v.plain), &cipher));
        EXPECT_EQ(cipher, LittleEndian(v.cipher)) << "method " << v.method;
        ASSERT_TRUE(DecryptTo(v.method, 8, cipher, &back));
        EXPECT_EQ(back, LittleEndian(v.plain));
    }
}

TEST_F(CodecEncrypt, XteaPadsToBlocksAndKeepsItsLengthDomain)
{
    const std::string key = "sixteen byte key";
    for (int method : {ZP::kEncTea, ZP::kEncXTea})
    {
        ASSERT_TRUE(EncoderOf(method).SetKey(key.data(), 16));
        const std::string nine = Sample(9);
        std::string cipher, back;
        ASSERT_TRUE(EncryptTo(method, nine, &cipher));
        ASSERT_EQ(cipher.size(), 16u);
        ASSERT_TRUE(DecryptTo(method, 9, cipher, &back));
        EXPECT_EQ(back, nine);
        ASSERT_TRUE(DecryptTo(method, 16, cipher, &back));
        EXPECT_EQ(back, nine + std::string(7, '\0')) << "padding is zero bytes";

        EXPECT_FALSE(EncryptTo(method, std::string(), &cipher)) << "empty input";
        const struct
        {
            uint32_t expected;
            std::string input;
        } outside[] = {{0, std::string()}, {0, cipher}, {17, cipher}, {8, cipher}, {9, cipher.substr(0, 15)}};
        for (const auto& c : outside)
            EXPECT_FALSE(DecryptTo(method, c.expected, c.input, &back))
                << "method " << method << " expected " << c.expected << " of " << c.input.size();
    }
}

TEST_F(CodecEncrypt, XorChangesTheFirstSixteenBytesOnly)
{
    const std::string key = Hex("0102030405060708090a0b0c0d0e0f10");
    ASSERT_TRUE(EncoderOf(ZP::kEncSimple).SetKey(key.data(), 16));
    const std::string plain = Sample(40);
    std::string cipher, back;
    ASSERT_TRUE(EncryptTo(ZP::kEncSimple, plain, &cipher));
    for (size_t i = 0; i < 40; ++i)
        EXPECT_EQ(cipher[i], static_cast<char>(plain[i] ^ (i < 16 ? key[i] : 0))) << i;
    ASSERT_TRUE(DecryptTo(ZP::kEncSimple, 40, cipher, &back));
    EXPECT_EQ(back, plain);
    ASSERT_TRUE(DecryptTo(ZP::kEncSimple, 20, cipher, &back)) << "a longer input gives its first bytes";
    EXPECT_EQ(back, plain.substr(0, 20));

    EXPECT_FALSE(DecryptTo(ZP::kEncSimple, 40, std::string(16, '\0') + plain.substr(16), &back))
        << "leading zero block";
    EXPECT_FALSE(DecryptTo(ZP::kEncSimple, 41, cipher, &back)) << "input shorter than the output";
    EXPECT_FALSE(EncryptTo(ZP::kEncSimple, plain.substr(0, 15), &cipher)) << "shorter than the span";
    EXPECT_FALSE(DecryptTo(ZP::kEncSimple, 15, plain, &back)) << "output shorter than the span";
}

TEST_F(CodecEncrypt, WithoutAKeyOnlyXorWorksAndChangesNothing)
{
    const std::string plain = Sample(24);
    std::string out;
    for (int method : {ZP::kEncTea, ZP::kEncAes, ZP::kEncXTea})
    {
        EXPECT_FALSE(EncryptTo(method, plain, &out)) << method;
        EXPECT_FALSE(DecryptTo(method, 24, plain, &out)) << method;
    }
    ASSERT_TRUE(EncryptTo(ZP::kEncSimple, plain, &out));
    EXPECT_EQ(out, plain);
    ASSERT_TRUE(DecryptTo(ZP::kEncSimple, 24, plain, &out));
    EXPECT_EQ(out, plain);

    // A key set and cleared again leaves the encoders as they started.
    EncoderOf(ZP::kEncTea).SetKeyString("secret");
    ASSERT_TRUE(EncryptTo(ZP::kEncTea, plain, &out));
    EncoderOf(ZP::kEncTea).ClearKey();
    EXPECT_FALSE(EncryptTo(ZP::kEncTea, plain, &out));
}

// Key texts count up to 15 bytes (XTEA family, XOR) or 16 (AES); raw keys up to 16 or 32 bytes.
TEST_F(CodecEncrypt, KeyLengthsAreBounded)
{
    const std::string plain = Sample(32);
    struct sCase
    {
        int method;
        unsigned textBytes;
        unsigned maxRaw;
    } cases[] = {
        {ZP::kEncTea, 15, 16}, {ZP::kEncAes, 16, 32}, {ZP::kEncSimple, 15, 16}, {ZP::kEncXTea, 15, 16}};
    for (const sCase& c : cases)
    {
        ZP::IEncoder& encoder = EncoderOf(c.method);
        const std::string text = "0123456789abcdefghij";
        std::string used, longer, shorter;
        encoder.SetKeyString(text.substr(0, c.textBytes).c_str());
        ASSERT_TRUE(EncryptTo(c.method, plain, &used));
        encoder.SetKeyString(text.c_str());
        ASSERT_TRUE(EncryptTo(c.method, plain, &longer));
        encoder.SetKeyString(text.substr(0, c.textBytes - 1).c_str());
        ASSERT_TRUE(EncryptTo(c.method, plain, &shorter));
        EXPECT_EQ(longer, used) << "method " << c.method << " reads past " << c.textBytes << " bytes";
        EXPECT_NE(shorter, used) << "method " << c.method << " ignores byte " << c.textBytes;

        const std::string raw(c.maxRaw + 1, 'k');
        EXPECT_TRUE(encoder.SetKey(raw.data(), c.maxRaw));
        EXPECT_FALSE(encoder.SetKey(raw.data(), c.maxRaw + 1));
        EXPECT_FALSE(encoder.SetKey(raw.data(), 0));
        EXPECT_FALSE(encoder.SetKeyString(nullptr));
    }
}

TEST_F(CodecEncrypt, PrefixIsCopiedAndTheRestTransformed)
{
    const std::string prefix = "HDR!";
    const std::string body = Sample(37);
    const std::string key = "prefix test key";
    for (int method = 1; method < ZP::CEncodeMgr::kSlotCount; ++method)
    {
        ASSERT_TRUE(EncoderOf(method).SetKey(key.data(), static_cast<uint32_t>(key.size())));
        std::string alone, withPrefix, back;
        ASSERT_TRUE(EncryptTo(method, body, &alone)) << method;
        ASSERT_TRUE(EncryptTo(method, prefix + body, &withPrefix, 4)) << method;
        EXPECT_EQ(withPrefix, prefix + alone) << method;
        const uint32_t expected = static_cast<uint32_t>(prefix.size() + body.size());
        ASSERT_TRUE(DecryptTo(method, expected, withPrefix, &back, 4)) << method;
        EXPECT_EQ(back, prefix + body) << method;
    }
}
