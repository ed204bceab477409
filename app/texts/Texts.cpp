#include "app/texts/Texts.h"

#include <mutex>
#include <unordered_map>

namespace vorlin::app {

namespace {

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<int, std::string>& BuiltinTable() {
    static std::unordered_map<int, std::string> table;
    return table;
}

} // namespace

void AddBuiltinTexts(std::initializer_list<TTextEntry> entries) {
    std::lock_guard<std::mutex> guard(TableLock());
    for (const TTextEntry& entry : entries) BuiltinTable()[entry.Number] = entry.Text;
}

std::string Text(int number) {
    std::lock_guard<std::mutex> guard(TableLock());
    auto it = BuiltinTable().find(number);
    return it == BuiltinTable().end() ? std::string() : it->second;
}

} // namespace vorlin::app
