// robots.txt as the common crawlers read it: which group is ours, longest
// match, Allow on a tie, "*" and "$", Crawl-delay, and hostile files.
#include "engine/RobotsRules.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

TEST(RobotsRulesTest, OurGroupWinsOverTheStarGroup) {
    const std::string text =
        "User-agent: *\n"
        "Disallow: /\n"
        "\n"
        "User-agent: OtherBot\n"
        "User-agent: httpvorlin/2.0\n"
        "Disallow: /private/   # not for us\n"
        "Crawl-delay: 2.5\n";
    TRobotsRules ours = TRobotsRules::Parse(text, "HTTPVorlin");
    EXPECT_TRUE(ours.Allowed("/index.html"));
    std::string rule;
    EXPECT_FALSE(ours.Allowed("/private/a.html", &rule));
    EXPECT_EQ(rule, "Disallow: /private/");
    EXPECT_DOUBLE_EQ(ours.CrawlDelay(), 2.5);
    TRobotsRules others = TRobotsRules::Parse(text, "Mozilla");
    EXPECT_FALSE(others.Allowed("/index.html"));
    EXPECT_LT(others.CrawlDelay(), 0);
    EXPECT_EQ(AgentTokenOf("HTTPVorlin/1.0 (X11; Linux)"), "HTTPVorlin");
}

TEST(RobotsRulesTest, LongestMatchWinsAndAllowWinsATie) {
    TRobotsRules rules = TRobotsRules::Parse(
        "User-agent: *\n"
        "Disallow: /docs/\n"
        "Allow: /docs/public/\n"
        "Disallow: /docs/public/secret\n"
        "Allow: /same\n"
        "Disallow: /same\n"
        "Disallow:\n",
        "x");
    EXPECT_FALSE(rules.Allowed("/docs/a.html"));
    EXPECT_TRUE(rules.Allowed("/docs/public/a.html"));
    EXPECT_FALSE(rules.Allowed("/docs/public/secret.html"));
    EXPECT_TRUE(rules.Allowed("/same/thing"));
    EXPECT_TRUE(rules.Allowed("/robots.txt"));
    EXPECT_TRUE(rules.Allowed("/other"));
}

TEST(RobotsRulesTest, WildcardsEndAnchorsAndEscapes) {
    TRobotsRules rules = TRobotsRules::Parse(
        "User-agent: *\n"
        "Disallow: /*.pdf$\n"
        "Disallow: /search*q=\n"
        "Disallow: /caf%c3%a9/\n"
        "Disallow: /fish*\n",
        "x");
    EXPECT_FALSE(rules.Allowed("/a/b/file.pdf"));
    EXPECT_TRUE(rules.Allowed("/a/b/file.pdf?download=1"));
    EXPECT_FALSE(rules.Allowed("/search/results?x=1&q=test"));
    EXPECT_TRUE(rules.Allowed("/search?x=1"));
    EXPECT_FALSE(rules.Allowed("/caf\xC3\xA9/menu"));
    EXPECT_FALSE(rules.Allowed("/fish.html"));
    EXPECT_TRUE(rules.Allowed("/Fish.html"));
    EXPECT_TRUE(RobotsPatternMatches("/a*b*c$", "/axxbyyc"));
    EXPECT_FALSE(RobotsPatternMatches("/a*b*c$", "/axxbyycd"));
    EXPECT_TRUE(RobotsPatternMatches("/$", "/"));
    EXPECT_FALSE(RobotsPatternMatches("/$", "/x"));
}

TEST(RobotsRulesTest, HostileAndBrokenFilesAllowWhatTheyDoNotRefuse) {
    // Rules before any group, binary garbage, a line without a colon.
    std::string text = std::string("Disallow: /\n\x00\x01\xff garbage\nUser-agent *\n", 37);
    text += "User-agent: *\nDisallow: /a\n";
    TRobotsRules rules = TRobotsRules::Parse(text, "x");
    EXPECT_TRUE(rules.Allowed("/b"));
    EXPECT_FALSE(rules.Allowed("/a"));
    // Only the first 500 KB count.
    std::string huge = "User-agent: *\n" + std::string(TRobotsRules::kMaxBytes, '#') + "\nDisallow: /late\n";
    EXPECT_TRUE(TRobotsRules::Parse(huge, "x").Allowed("/late"));
    // Many stars are matched without backtracking blow-up.
    std::string stars = "User-agent: *\nDisallow: /";
    for (int i = 0; i < 1000; ++i) stars += "*a";
    stars += "$\n";
    EXPECT_TRUE(TRobotsRules::Parse(stars, "x").Allowed("/" + std::string(3000, 'a') + "b"));
}

} // namespace
} // namespace vorlin
