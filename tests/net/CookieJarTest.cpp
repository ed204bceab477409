// The cookie jar's rules (RFC 6265) and its bounds against hostile servers,
// and the Netscape cookies file.
#include "net/CookieJar.h"
#include "net/CookiesTxt.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlin {
namespace {

constexpr int64_t kNow = 1'800'000'000;

TEST(CookieJarTest, HostOnlyAndDomainCookiesGoWhereTheyBelong) {
    TCookieJar jar;
    ASSERT_TRUE(jar.SetCookie("http://www.example.com/a/page.html", "host=1", kNow));
    ASSERT_TRUE(jar.SetCookie("http://www.example.com/", "dom=2; Domain=.Example.COM", kNow));
    EXPECT_EQ(jar.CookieHeader("http://www.example.com/a/x", kNow), "host=1; dom=2");
    // The host-only cookie stays on its host; the domain cookie reaches siblings.
    EXPECT_EQ(jar.CookieHeader("http://img.example.com/a/x", kNow), "dom=2");
    EXPECT_EQ(jar.CookieHeader("http://example.com/", kNow), "dom=2");
    EXPECT_EQ(jar.CookieHeader("http://notexample.com/", kNow), "");
    // The default path is the page's directory.
    EXPECT_EQ(jar.CookieHeader("http://www.example.com/b/", kNow), "dom=2");
}

TEST(CookieJarTest, ForeignTopLevelAndAddressDomainsAreRefused) {
    TCookieJar jar;
    std::string why;
    EXPECT_FALSE(jar.SetCookie("http://www.example.com/", "a=1; Domain=other.com", kNow, &why));
    EXPECT_NE(why.find("foreign"), std::string::npos);
    EXPECT_FALSE(jar.SetCookie("http://www.example.com/", "a=1; Domain=com", kNow, &why));
    EXPECT_NE(why.find("top-level"), std::string::npos);
    EXPECT_FALSE(jar.SetCookie("http://10.0.0.1/", "a=1; Domain=0.0.1", kNow));
    EXPECT_FALSE(jar.SetCookie("http://10.0.0.1/", "a=1; Domain=1.10.0.0.1", kNow));
    // An address may set a cookie for itself, host-only.
    EXPECT_TRUE(jar.SetCookie("http://10.0.0.1:8080/", "b=2; Domain=10.0.0.1", kNow));
    EXPECT_EQ(jar.CookieHeader("http://10.0.0.1/", kNow), "b=2");
    // A single-label host keeps its own cookies.
    EXPECT_TRUE(jar.SetCookie("http://localhost/", "c=3", kNow));
    EXPECT_EQ(jar.CookieHeader("http://localhost/x", kNow), "c=3");
    EXPECT_FALSE(jar.SetCookie("http://example.com/", "novalue", kNow));
    EXPECT_FALSE(jar.SetCookie("http://example.com/", "=value", kNow));
}

TEST(CookieJarTest, PathsMatchWholeSegmentsAndLongerPathsComeFirst) {
    TCookieJar jar;
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "root=1; Path=/", kNow));
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "docs=2; Path=/docs", kNow));
    EXPECT_EQ(jar.CookieHeader("http://h.org/docs/a.html?q=1", kNow), "docs=2; root=1");
    EXPECT_EQ(jar.CookieHeader("http://h.org/docs", kNow), "docs=2; root=1");
    EXPECT_EQ(jar.CookieHeader("http://h.org/docsearch", kNow), "root=1");
    EXPECT_TRUE(CookiePathMatch("/a/b", "/a/"));
    EXPECT_FALSE(CookiePathMatch("/ab", "/a"));
}

TEST(CookieJarTest, ExpiryMaxAgeAndDeletion) {
    TCookieJar jar;
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "a=1; Max-Age=60", kNow));
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "b=2; Expires=Wed, 09 Jun 2021 10:18:14 GMT", kNow));  // past
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "c=3; Expires=Fri, 01 Jan 2100 00:00:00 GMT; Max-Age=10", kNow));
    EXPECT_EQ(jar.CookieHeader("http://h.org/", kNow), "a=1; c=3");
    // Max-Age wins over Expires; time passes.
    EXPECT_EQ(jar.CookieHeader("http://h.org/", kNow + 30), "a=1");
    EXPECT_EQ(jar.CookieHeader("http://h.org/", kNow + 61), "");
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "s=1", kNow));
    ASSERT_TRUE(jar.SetCookie("http://h.org/", "s=gone; Max-Age=0", kNow));
    EXPECT_EQ(jar.CookieHeader("http://h.org/", kNow), "");

    int64_t t = 0;
    ASSERT_TRUE(ParseCookieDate("Sun, 06 Nov 1994 08:49:37 GMT", t));
    EXPECT_EQ(t, 784111777);
    ASSERT_TRUE(ParseCookieDate("Sunday, 06-Nov-94 08:49:37 GMT", t));
    EXPECT_EQ(t, 784111777);
    EXPECT_FALSE(ParseCookieDate("tomorrow", t));
}

TEST(CookieJarTest, SecureOnlyOverHttpsAndHttpOnlyKept) {
    TCookieJar jar;
    EXPECT_FALSE(jar.SetCookie("http://h.org/", "s=1; Secure", kNow));
    ASSERT_TRUE(jar.SetCookie("https://h.org/", "s=1; Secure; HttpOnly", kNow));
    EXPECT_EQ(jar.CookieHeader("http://h.org/", kNow), "");
    EXPECT_EQ(jar.CookieHeader("https://h.org/", kNow), "s=1");
    ASSERT_EQ(jar.Cookies(kNow).size(), 1u);
    EXPECT_TRUE(jar.Cookies(kNow)[0].HttpOnly);
}

TEST(CookieJarTest, HostileCookiesAreBounded) {
    TCookieJar jar;
    EXPECT_FALSE(jar.SetCookie("http://h.org/", "big=" + std::string(5000, 'x'), kNow));
    EXPECT_FALSE(jar.SetCookie("http://h.org/", std::string("ctl=a\x01z"), kNow));
    for (int i = 0; i < 2000; ++i) jar.SetCookie("http://h.org/", "n" + std::to_string(i) + "=v", kNow);
    EXPECT_EQ(jar.Count(), TCookieJar::kMaxPerSite);
    // The newest stay.
    EXPECT_NE(jar.CookieHeader("http://h.org/", kNow).find("n1999=v"), std::string::npos);
    // Subdomains count against their site.
    for (int i = 0; i < 100; ++i) jar.SetCookie("http://s" + std::to_string(i) + ".h.org/", "x=1", kNow);
    EXPECT_EQ(jar.Count(), TCookieJar::kMaxPerSite);
    for (int i = 0; i < 200; ++i)
        for (int j = 0; j < 20; ++j)
            jar.SetCookie("http://site" + std::to_string(i) + ".net/", "c" + std::to_string(j) + "=1", kNow);
    EXPECT_EQ(jar.Count(), TCookieJar::kMaxTotal);
}

TEST(CookiesTxtTest, ReadsWhatBrowsersExport) {
    const std::string text =
        "# Netscape HTTP Cookie File\n"
        "\n"
        ".example.com\tTRUE\t/\tFALSE\t0\tsession\tabc\n"
        "#HttpOnly_www.example.com\tFALSE\t/app\tTRUE\t2000000000\tlogin\tsecret\r\n"
        "www.example.com\tFALSE\t/\tFALSE\t1000\told\tgone\n"
        "broken line without tabs\n"
        "www.example.com\tFALSE\t/\tFALSE\tsoon\tbad\texpiry\n";
    TCookieJar jar;
    TCookiesTxtReport report = ReadCookiesTxt(text, jar, kNow);
    EXPECT_EQ(report.Loaded, 2);
    EXPECT_EQ(report.Skipped, 3);
    EXPECT_EQ(jar.CookieHeader("https://www.example.com/app/x", kNow), "login=secret; session=abc");
    EXPECT_EQ(jar.CookieHeader("http://www.example.com/app/x", kNow), "session=abc");
    EXPECT_EQ(jar.CookieHeader("http://other.example.com/", kNow), "session=abc");
}

TEST(CookiesTxtTest, SavedFileIsPrivateAndReadsBack) {
    TCookieJar jar;
    ASSERT_TRUE(jar.SetCookie("https://www.example.com/", "keep=1; Max-Age=3600; Domain=example.com; HttpOnly", kNow));
    ASSERT_TRUE(jar.SetCookie("https://www.example.com/a/", "sess=2; Secure", kNow));
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vorlin-cookies-" + std::to_string(::getpid()) + ".txt")).string();
    SaveCookiesTxt(path, jar, kNow, false);
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    TCookieJar back;
    EXPECT_EQ(LoadCookiesTxt(path, back, kNow).Loaded, 1);
    EXPECT_EQ(back.CookieHeader("http://x.example.com/", kNow), "keep=1");
    EXPECT_TRUE(back.Cookies(kNow)[0].HttpOnly);
    // Session cookies only when asked to keep them.
    SaveCookiesTxt(path, jar, kNow, true);
    TCookieJar both;
    EXPECT_EQ(LoadCookiesTxt(path, both, kNow).Loaded, 2);
    EXPECT_EQ(both.CookieHeader("https://www.example.com/a/b", kNow), "sess=2; keep=1");
    std::filesystem::remove(path);
}

} // namespace
} // namespace vorlin
