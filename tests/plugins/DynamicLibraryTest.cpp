#include "platform/DynamicLibrary.h"
#include "tests/plugins/PluginTestSupport.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(DynamicLibrary, LoadsLooksUpAndUnloads) {
    TDynamicLibrary library;
    EXPECT_EQ(library.Symbol("InitPlugin"), nullptr);  // nothing loaded yet
    ASSERT_TRUE(library.Load(test::TestkitFile()));
    EXPECT_NE(library.Symbol("InitPlugin"), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchExport"), nullptr);
    library.Unload();
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.Symbol("InitPlugin"), nullptr);
}

TEST(DynamicLibrary, FailedLoadKeepsTheReason) {
    test::TTempDir dir;
    test::WriteFile(dir.Path() + "fake.so", "not a library");
    TDynamicLibrary library;
    EXPECT_FALSE(library.Load(dir.Path() + "fake.so"));
    EXPECT_FALSE(library.LoadError().empty());
    EXPECT_FALSE(library.Load(dir.Path() + "absent.so"));
    EXPECT_EQ(library.Symbol("InitPlugin"), nullptr);
}
