#include "rules/FilterRules.h"

#include "platform/FileSystem.h"
#include "platform/StringUtils.h"
#include "rules/RuleStream.h"

namespace vorlin {

TFilterRules::~TFilterRules() {
    while (!FRules.empty()) FRules.pop_back();
}

TFilterRule& TFilterRules::Add() {
    FRules.push_back(RuleClass());
    FRules.back()->Index = Count() - 1;
    return *FRules.back();
}

void TFilterRules::Delete(int index) {
    Rules(index);
    FRules.erase(FRules.begin() + index);
}

TFilterRule& TFilterRules::Rules(int index) {
    if (index < 0 || index >= Count()) throw Exception(Format("Rule index out of bounds (%d)", index));
    TFilterRule& rule = *FRules[static_cast<size_t>(index)];
    rule.Index = index;
    return rule;
}

void TFilterRules::LoadFromStream(TStream& stream) {
    const int before = Count();
    int32_t count = ReadInt32(stream);
    try {
        for (int32_t i = 0; i < count; ++i) Add().LoadFromStream(stream);
    } catch (const EUnknownRuleElement&) {
        FRules.resize(static_cast<size_t>(before));
        throw;
    }
}

void TFilterRules::LoadFromFile(const std::string& hostPath) {
    // The fields are a few bytes each: read the file once, parse in memory.
    TMemoryStream data;
    data.LoadFromFile(hostPath);
    LoadFromStream(data);
}

void TFilterRules::SaveToStream(TStream& stream) const {
    WriteInt32(stream, Count());
    for (const auto& rule : FRules) rule->SaveToStream(stream);
}

void TFilterRules::SaveToFile(const std::string& hostPath) const {
    WriteFileAtomically(hostPath, [this](TFileStream& file) { SaveToStream(file); });
}

} // namespace vorlin
