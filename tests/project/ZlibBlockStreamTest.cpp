// Blocks compressed apart and joined into one zlib stream must read back as
// one stream with zlib's own inflate, whatever the data and wherever the
// block boundaries fall.
#include "project/ZlibBlockStream.h"

#include "platform/Exception.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

using namespace vorlin;

namespace {

// zlib's one-shot inflate, which checks the Adler-32 and that nothing follows.
std::string Uncompress(const std::string& compressed, size_t size) {
    std::string out(size + 1, '\0');
    uLongf length = out.size();
    int code = uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                          reinterpret_cast<const Bytef*>(compressed.data()), compressed.size());
    EXPECT_EQ(code, Z_OK);
    out.resize(length);
    return out;
}

std::string Compress(const std::string& data, size_t blockSize, size_t pieces = 1, int workers = 0) {
    TMemoryStream out;
    {
        TZlibBlockStream zip(out, blockSize, workers);
        size_t step = data.size() / pieces + 1;
        for (size_t at = 0; at < data.size(); at += step)
            zip.WriteBuffer(data.data() + at, static_cast<int64_t>(std::min(step, data.size() - at)));
        zip.Finish();
    }
    return out.ToString();
}

// Text much like link data, random bytes (stored blocks), and runs of one
// byte (long matches), mixed.
std::string Mixed(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data;
    while (data.size() < size) {
        switch (random() % 3) {
        case 0:
            data += "http://www.example.org/pages/d" + std::to_string(random() % 1000) + "/p.html";
            break;
        case 1:
            for (int i = 0; i < 300; ++i) data += static_cast<char>(random());
            break;
        default:
            data.append(random() % 2000, 'x');
        }
    }
    data.resize(size);
    return data;
}

} // namespace

TEST(ZlibBlockStream, BlocksJoinIntoOneStreamAtTheBestLevel) {
    const size_t block = 64 * 1024;
    for (size_t size : {size_t{0}, size_t{1}, block - 1, block, block + 1, 3 * block, 7 * block + 12345}) {
        std::string data = Mixed(size, static_cast<unsigned>(size));
        std::string zipped = Compress(data, block, 5);
        ASSERT_GE(zipped.size(), 6u);
        EXPECT_EQ(static_cast<unsigned char>(zipped[0]), 0x78) << size;
        EXPECT_EQ(static_cast<unsigned char>(zipped[1]), 0xDA) << size;
        EXPECT_EQ(Uncompress(zipped, size), data) << size;
    }
}

TEST(ZlibBlockStream, IncompressibleAndUniformDataAcrossManyBlocks) {
    std::mt19937 random(3);
    std::string noise(600 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    EXPECT_EQ(Uncompress(Compress(noise, 64 * 1024), noise.size()), noise);
    std::string same(600 * 1024, 'a');
    std::string zipped = Compress(same, 64 * 1024);
    EXPECT_LT(zipped.size(), 10000u);
    EXPECT_EQ(Uncompress(zipped, same.size()), same);
}

TEST(ZlibBlockStream, TheBytesDoNotDependOnHowManyWorkersCompress) {
    // Blocks finish in any order; the file must come out the same.
    const size_t block = 64 * 1024;
    std::string data = Mixed(9 * block + 777, 11);
    std::string one = Compress(data, block, 3, 1);
    EXPECT_EQ(Uncompress(one, data.size()), data);
    for (int workers : {2, 5}) EXPECT_EQ(Compress(data, block, 7, workers), one) << workers;
}

// Records shaped like the link data file's: an address, its local name,
// a type, numbers.
std::string LinkLike(size_t count) {
    std::mt19937 random(17);
    std::string data;
    for (size_t i = 0; i < count; ++i) {
        std::string dir = "d" + std::to_string(random() % 300);
        std::string page = "p" + std::to_string(random() % 100000) + ".html";
        data += "http://www.example.org/" + dir + "/" + page + '\0' + dir + "\\" + page + '\0';
        data += (random() % 5 == 0) ? "image/png" : "text/html";
        for (int n = 0; n < 4; ++n) data += static_cast<char>(random() % (n == 0 ? 200 : 4));
        data += "A\0";
    }
    return data;
}

TEST(ZlibBlockStream, AsTightAsZlibsBestLevel) {
    // The file format promises the best level; the blocks, each started
    // without the last one's window, must not give that away.
    std::string data = LinkLike(40000);
    uLongf bound = compressBound(data.size());
    std::string best(bound, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(best.data()), &bound, reinterpret_cast<const Bytef*>(data.data()),
                        data.size(), 9),
              Z_OK);
    std::string ours = Compress(data, TZlibBlockStream::kDefaultBlockSize, 7);
    EXPECT_EQ(Uncompress(ours, data.size()), data);
    EXPECT_LE(static_cast<double>(ours.size()), 1.005 * static_cast<double>(bound))
        << data.size() << " bytes: " << ours.size() << " against " << bound;
}

TEST(ZlibBlockStream, NoWriteAfterTheEnd) {
    TMemoryStream out;
    TZlibBlockStream zip(out);
    zip.WriteBuffer("abc", 3);
    EXPECT_EQ(zip.Size(), 3);
    zip.Finish();
    EXPECT_THROW(zip.WriteBuffer("d", 1), EStreamError);
    EXPECT_EQ(Uncompress(out.ToString(), 3), "abc");
}
