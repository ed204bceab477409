#include "app/texts/Texts.h"

#include "platform/MoCatalog.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace vorlin::app {

namespace {

// One lock for the table and the source: a run thread may read texts while
// the window switches language.
std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<int, std::string>& BuiltinTable() {
    static std::unordered_map<int, std::string> table;
    return table;
}

std::shared_ptr<const TMoCatalog>& Source() {
    static std::shared_ptr<const TMoCatalog> source;
    return source;
}

} // namespace

void AddBuiltinTexts(std::initializer_list<TTextEntry> entries) {
    std::lock_guard<std::mutex> guard(TableLock());
    for (const TTextEntry& entry : entries) BuiltinTable()[entry.Number] = entry.Text;
}

std::string Text(int number) {
    std::lock_guard<std::mutex> guard(TableLock());
    if (const auto& source = Source()) {
        const std::string* text = source->Find(number);
        return text ? *text : std::string();
    }
    auto it = BuiltinTable().find(number);
    return it == BuiltinTable().end() ? std::string() : it->second;
}

std::string BuiltinText(int number) {
    std::lock_guard<std::mutex> guard(TableLock());
    auto it = BuiltinTable().find(number);
    return it == BuiltinTable().end() ? std::string() : it->second;
}

std::vector<int> BuiltinTextNumbers() {
    std::lock_guard<std::mutex> guard(TableLock());
    std::vector<int> numbers;
    for (const auto& [number, text] : BuiltinTable()) numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

void SetTextSource(std::shared_ptr<const TMoCatalog> catalog) {
    std::lock_guard<std::mutex> guard(TableLock());
    Source() = std::move(catalog);
}

} // namespace vorlin::app
