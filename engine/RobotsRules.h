// The rules of one server's robots.txt for our crawler: the groups of our
// agent token (the first word of our User-Agent, without regard to case),
// else those of "*"; Allow and Disallow with "*" and a closing "$" as the
// common crawlers read them, the longest pattern winning and Allow winning
// a tie; and the group's Crawl-delay.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorlin {

class TRobotsRules {
public:
    // Only this much of a robots.txt is read; the rest is ignored.
    static constexpr size_t kMaxBytes = 500 * 1024;
    // A longer pattern is ignored (nobody writes one; a hostile file would
    // make every match expensive).
    static constexpr size_t kMaxPatternBytes = 4096;

    // Rules that allow everything (no robots.txt, or one we could not get).
    TRobotsRules() = default;
    static TRobotsRules Parse(const std::string& text, const std::string& agentToken);

    // Whether the path (from the first "/", query included) may be fetched.
    // When it may not, rule names the refusing line ("Disallow: /private/").
    bool Allowed(const std::string& path, std::string* rule = nullptr) const;
    // Seconds from the group's Crawl-delay; negative when it has none.
    double CrawlDelay() const { return FCrawlDelay; }
    size_t RuleCount() const { return FRules.size(); }

private:
    struct TRule {
        bool Allow;
        std::string Pattern;  // normalised, as written otherwise
    };
    std::vector<TRule> FRules;
    double FCrawlDelay = -1;
};

// The product token of a User-Agent ("HTTPVorlin" of "HTTPVorlin/1.0 (X11)").
std::string AgentTokenOf(const std::string& userAgent);
// Whether a robots.txt pattern matches the start of the path ("*" any
// run of characters, "$" at the end: the end of the path).
bool RobotsPatternMatches(const std::string& pattern, const std::string& path);

} // namespace vorlin
