#include "engine/RobotsRules.h"

#include "platform/StringUtils.h"

#include <cctype>
#include <cstdlib>

namespace vorlin {

namespace {

// "%2f" and "%2F" are one escape; bytes outside ASCII are compared escaped,
// as they are sent.
std::string NormalisedPath(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += '%';
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 2])));
            i += 2;
        } else if (c >= 0x80 || c <= 0x20) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool ParseDelay(const std::string& text, double& seconds) {
    if (text.empty()) return false;
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    return end != text.c_str() && seconds >= 0 && seconds == seconds;
}

} // namespace

std::string AgentTokenOf(const std::string& userAgent) {
    std::string token = Trim(userAgent);
    size_t end = token.find_first_of("/ \t(;");
    return token.substr(0, end);
}

bool RobotsPatternMatches(const std::string& pattern, const std::string& path) {
    bool anchored = !pattern.empty() && pattern.back() == '$';
    const std::string body = anchored ? pattern.substr(0, pattern.size() - 1) : pattern;
    // The literal pieces between the stars, matched leftmost one after the
    // other: with stars as the only wildcard that finds a match when there is one.
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t star = body.find('*', start);
        pieces.push_back(body.substr(start, star == std::string::npos ? std::string::npos : star - start));
        if (star == std::string::npos) break;
        start = star + 1;
    }
    if (path.compare(0, pieces.front().size(), pieces.front()) != 0) return false;
    if (pieces.size() == 1) return !anchored || path.size() == pieces.front().size();
    size_t at = pieces.front().size();
    for (size_t i = 1; i + 1 < pieces.size(); ++i) {
        size_t found = path.find(pieces[i], at);
        if (found == std::string::npos) return false;
        at = found + pieces[i].size();
    }
    const std::string& last = pieces.back();
    if (!anchored) return path.find(last, at) != std::string::npos;
    return path.size() >= at + last.size() && path.compare(path.size() - last.size(), last.size(), last) == 0;
}

TRobotsRules TRobotsRules::Parse(const std::string& textIn, const std::string& agentToken) {
    std::string text = textIn.substr(0, kMaxBytes);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    struct TGroup {
        std::vector<std::string> Agents;
        std::vector<TRule> Rules;
        double Delay = -1;
    };
    std::vector<TGroup> groups;
    bool inAgents = false;  // the last line was a User-agent line
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        line = line.substr(0, line.find('#'));
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = LowerCase(Trim(line.substr(0, colon)));
        const std::string value = Trim(line.substr(colon + 1));
        if (key == "user-agent") {
            if (!inAgents) groups.emplace_back();
            groups.back().Agents.push_back(value);
            inAgents = true;
            continue;
        }
        if (key != "allow" && key != "disallow" && key != "crawl-delay") continue;
        inAgents = false;
        if (groups.empty()) continue;  // rules before any User-agent line belong to no one
        if (key == "crawl-delay") {
            double delay = 0;
            if (groups.back().Delay < 0 && ParseDelay(value, delay)) groups.back().Delay = delay;
            continue;
        }
        // An empty Disallow allows everything; an empty Allow says nothing.
        if (value.empty() || value.size() > kMaxPatternBytes) continue;
        groups.back().Rules.push_back({key == "allow", NormalisedPath(value)});
    }

    auto matchesAgent = [&](const std::string& agent) {
        const std::string token = AgentTokenOf(agent);
        return !agentToken.empty() && SameText(token, agentToken);
    };
    TRobotsRules rules;
    for (bool own : {true, false}) {
        bool found = false;
        for (const TGroup& group : groups) {
            bool match = false;
            for (const std::string& agent : group.Agents) match = match || (own ? matchesAgent(agent) : agent == "*");
            if (!match) continue;
            found = true;
            rules.FRules.insert(rules.FRules.end(), group.Rules.begin(), group.Rules.end());
            if (rules.FCrawlDelay < 0) rules.FCrawlDelay = group.Delay;
        }
        if (found) break;
    }
    return rules;
}

bool TRobotsRules::Allowed(const std::string& pathIn, std::string* rule) const {
    const std::string path = NormalisedPath(pathIn.empty() ? std::string("/") : pathIn);
    if (path == "/robots.txt") return true;
    const TRule* best = nullptr;
    for (const TRule& r : FRules) {
        if (best && (r.Pattern.size() < best->Pattern.size() || (r.Pattern.size() == best->Pattern.size() && !r.Allow)))
            continue;
        if (RobotsPatternMatches(r.Pattern, path)) best = &r;
    }
    if (!best || best->Allow) return true;
    if (rule) *rule = "Disallow: " + best->Pattern;
    return false;
}

} // namespace vorlin
