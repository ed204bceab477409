// The package reader on good, truncated and damaged streams, and the
// signatures of update files.
#include "updater/UpdateErrors.h"
#include "updater/UpdatePackage.h"
#include "updater/UpdateSignature.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace vorlin::updater;

namespace {

TUpdatePackage Sample() {
    TUpdatePackage package;
    package.Patches = {{"HTTPVorlin", "patch-1"}, {"Plugins\\css.so", std::string(300, 'p')}};
    package.Adds = {{"languages\\English.lang", "texts"}, {"empty", ""}};
    return package;
}

std::string Deflate(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
              static_cast<uLong>(plain.size()), 9);
    out.resize(size);
    return out;
}

std::string Inflated(const std::string& compressed) {
    std::string out(1 << 16, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(compressed.data()),
               static_cast<uLong>(compressed.size()));
    out.resize(size);
    return out;
}

} // namespace

TEST(PackageTest, ReadsWhatWasWritten) {
    const TUpdatePackage read = ReadPackage(WritePackage(Sample()));
    ASSERT_EQ(read.Patches.size(), 2u);
    ASSERT_EQ(read.Adds.size(), 2u);
    EXPECT_EQ(read.Patches[1].Path, "Plugins\\css.so");
    EXPECT_EQ(read.Patches[1].Data, std::string(300, 'p'));
    EXPECT_EQ(read.Adds[0].Data, "texts");
    EXPECT_EQ(read.Adds[1].Data, "");
    const TUpdatePackage empty = ReadPackage(WritePackage({}));
    EXPECT_TRUE(empty.Patches.empty() && empty.Adds.empty());
}

TEST(PackageTest, TruncatedAndDamagedStreamsAreRefused) {
    const std::string good = WritePackage(Sample());
    // Cut anywhere: the compressed stream ends early.
    for (size_t size : {size_t{0}, size_t{1}, good.size() / 2, good.size() - 1})
        EXPECT_THROW(ReadPackage(good.substr(0, size)), EDamagedPackage) << size;
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x55;
    EXPECT_THROW(ReadPackage(flipped), EDamagedPackage);
    // A whole zlib stream whose content ends early or holds the wrong values.
    const std::string plain = Inflated(good);
    for (size_t size : {size_t{1}, size_t{5}, plain.size() - 1})
        EXPECT_THROW(ReadPackage(Deflate(plain.substr(0, size))), EDamagedPackage) << size;
    EXPECT_THROW(ReadPackage(Deflate(plain + "x")), EDamagedPackage);
    EXPECT_THROW(ReadPackage(Deflate(std::string("\x06\x01") + "a")), EDamagedPackage);
    // A negative length.
    EXPECT_THROW(ReadPackage(Deflate(std::string("\x01\x06\x01" "a\x00\x02\xFF", 7))), EDamagedPackage);
}

TEST(SignatureTest, OnlyTheMakersKeyVerifies) {
    const TKeyPair keys = GenerateKeyPair(), other = GenerateKeyPair();
    const std::string message = "NewVersion=1.0\r\n";
    const TSignature signature = Sign(keys, message);
    EXPECT_TRUE(Verify(keys.Public, message, signature));
    EXPECT_FALSE(Verify(other.Public, message, signature));
    EXPECT_FALSE(Verify(keys.Public, message + " ", signature));
    EXPECT_EQ(PublicKeyOf(keys.Private), keys.Public);

    TPublicKey parsed{};
    ASSERT_TRUE(FromHex(" " + ToHex(keys.Public.data(), 32) + "\n", parsed.data(), 32));
    EXPECT_EQ(parsed, keys.Public);
    EXPECT_FALSE(FromHex(ToHex(keys.Public.data(), 31), parsed.data(), 32));
    EXPECT_FALSE(FromHex(std::string(64, 'g'), parsed.data(), 32));
}
