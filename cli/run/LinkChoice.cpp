#include "cli/run/LinkChoice.h"

#include "platform/StringUtils.h"
#include "rules/Mask.h"

#include <charconv>

namespace vorlin::cli {

namespace {

bool LooksLikeNumbers(const std::string& text) {
    return text.find_first_not_of("0123456789,- ") == std::string::npos;
}

bool ParseNumber(const std::string& text, size_t& value) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool ChooseNumbers(const std::string& text, std::vector<bool>& chosen, std::string& error) {
    std::string spaced = text;
    for (char& c : spaced)
        if (c == ',') c = ' ';
    size_t start = 0;
    while (start < spaced.size()) {
        size_t end = spaced.find(' ', start);
        if (end == std::string::npos) end = spaced.size();
        std::string item = spaced.substr(start, end - start);
        start = end + 1;
        if (item.empty()) continue;
        size_t dash = item.find('-');
        size_t first = 0, last = 0;
        bool valid = dash == std::string::npos ? ParseNumber(item, first) && (last = first, true)
                                               : ParseNumber(item.substr(0, dash), first) &&
                                                     ParseNumber(item.substr(dash + 1), last);
        if (!valid || first < 1 || last < first || last > chosen.size()) {
            error = "'" + item + "' is not a number or range from 1 to " + std::to_string(chosen.size());
            return false;
        }
        for (size_t n = first; n <= last; ++n) chosen[n - 1] = true;
    }
    return true;
}

} // namespace

bool ChooseLinks(const std::string& answer, const std::vector<std::string>& urls, std::vector<bool>& chosen,
                 std::string& error) {
    chosen.assign(urls.size(), false);
    std::string text = Trim(answer);
    if (text.empty()) return true;
    if (LooksLikeNumbers(text)) return ChooseNumbers(text, chosen, error);
    try {
        TMask mask(text);
        for (size_t i = 0; i < urls.size(); ++i) chosen[i] = mask.IsMatch(urls[i]);
    } catch (const EMaskException& e) {
        error = e.Message();
        return false;
    }
    return true;
}

} // namespace vorlin::cli
