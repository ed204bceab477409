// The reader of compiled language catalogues, on good files in both byte
// orders and on files damaged in every way a hostile one could be.
#include "platform/MoCatalog.h"
#include "tests/support/MoWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace vorlin {
namespace {

using test::MoImage;

const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"", "Project-Id-Version: x\nContent-Type: text/plain; charset=UTF-8\n"},
    {"603", "%s (%d Bytes) downloaded"},
    {"0", "Loading projects"},
    {"3024", "Start download"},
    {"3025", ""},
    {"007", "not a number we use"},
    {"menu\x04" "12", "with a context"},
    {"12", "one\0several"},  // plural forms: only the first counts
    {"Projects", "not numbered"},
};

void SetWord(std::string& image, size_t offset, uint32_t value) { std::memcpy(&image[offset], &value, 4); }

TEST(MoCatalogTest, ReadsTheNumberedTextsInBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        auto entries = kEntries;
        entries[7].second = std::string("one\0several", 11);
        const TMoCatalog catalog = TMoCatalog::FromBytes(MoImage(entries, bigEndian));
        EXPECT_EQ(catalog.Numbers(), (std::vector<int>{0, 12, 603, 3024, 3025})) << bigEndian;
        EXPECT_EQ(*catalog.Find(603), "%s (%d Bytes) downloaded");
        EXPECT_EQ(*catalog.Find(0), "Loading projects");
        EXPECT_EQ(*catalog.Find(12), "one");
        EXPECT_EQ(*catalog.Find(3025), "") << "an empty text is a text";
        EXPECT_EQ(catalog.Find(7), nullptr) << "\"007\" is no text number";
        EXPECT_EQ(catalog.Find(1), nullptr);
    }
}

TEST(MoCatalogTest, RefusesDamagedFiles) {
    const std::string good = MoImage(kEntries);
    auto refused = [](const std::string& image) {
        try {
            TMoCatalog::FromBytes(image);
        } catch (const EMoFormatError&) {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused("")) << "empty";
    EXPECT_TRUE(refused(good.substr(0, 27))) << "a header cut short";
    std::string image = good;
    image[0] = 'X';
    EXPECT_TRUE(refused(image)) << "wrong magic";
    image = good;
    SetWord(image, 4, 2u << 16);
    EXPECT_TRUE(refused(image)) << "a revision we don't know";
    image = good;
    SetWord(image, 8, 0x7fffffff);
    EXPECT_TRUE(refused(image)) << "more strings than the file holds";
    image = good;
    SetWord(image, 16, static_cast<uint32_t>(good.size() - 4));
    EXPECT_TRUE(refused(image)) << "the translation table outside the file";
    image = good;
    SetWord(image, 28 + 8 + 4, 0xfffffff0);
    EXPECT_TRUE(refused(image)) << "a string offset outside the file";
    image = good;
    SetWord(image, 28 + 8, 0xffffffff);
    EXPECT_TRUE(refused(image)) << "a string length outside the file";
    image = good;
    image.back() = 'x';
    EXPECT_TRUE(refused(image)) << "the last string without its zero";
    EXPECT_TRUE(refused(MoImage({{"", "Content-Type: text/plain; charset=ISO-8859-1\n"}, {"1", "\xe4"}})))
        << "another charset";
    EXPECT_TRUE(refused(std::string(TMoCatalog::kMaxFileSize + 1, '\0'))) << "too large";
    // Every cut of a good file is refused (the strings sit at its end).
    for (size_t length = 0; length < good.size(); ++length) EXPECT_TRUE(refused(good.substr(0, length))) << length;
}

TEST(MoCatalogTest, LoadsFilesAndSaysWhyNot) {
    char pattern[] = "/tmp/vorlin-mo-XXXXXX";
    const std::string dir = std::string(mkdtemp(pattern)) + "/";
    const std::string path = dir + "English.mo";
    std::ofstream(path, std::ios::binary) << MoImage(std::map<int, std::string>{{611, "Done"}});
    EXPECT_EQ(*TMoCatalog::LoadFromFile(path).Find(611), "Done");
    EXPECT_THROW(TMoCatalog::LoadFromFile(dir + "Klingon.mo"), EFileError);
    EXPECT_THROW(TMoCatalog::LoadFromFile(dir), EMoFormatError) << "a folder is no catalogue";
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vorlin
