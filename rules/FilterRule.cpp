#include "rules/FilterRule.h"

#include "platform/StringUtils.h"
#include "rules/FilterRegistry.h"
#include "rules/RuleStream.h"

#include <algorithm>

namespace vorlin {

namespace {

template <typename TElement>
TElement& ElementAt(const std::vector<std::unique_ptr<TElement>>& list, int index, const char* kind) {
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        throw Exception(Format("Rule %s index out of bounds (%d)", kind, index));
    return *list[static_cast<size_t>(index)];
}

template <typename TElement>
void SaveElements(TStream& stream, const std::vector<std::unique_ptr<TElement>>& list) {
    WriteInt32(stream, static_cast<int32_t>(list.size()));
    for (const auto& element : list) WriteGUID(stream, element->GetClassGUID());
    for (const auto& element : list) element->SaveToStream(stream);
}

// Reads a GUID list and then the data of each named element, in the stored
// order. Every GUID is resolved before any data is read: once data of an
// unknown length has been skipped nothing after it can be found.
template <typename TElement>
void LoadElements(TStream& stream, const std::vector<std::unique_ptr<TElement>>& list, const char* kind) {
    int32_t count = ReadInt32(stream);
    std::vector<TElement*> targets;
    for (int32_t i = 0; i < count; ++i) {
        vorlin_sdk::GUID guid = ReadGUID(stream);
        auto found = std::find_if(list.begin(), list.end(),
                                  [&](const auto& element) { return element->GetClassGUID() == guid; });
        if (found == list.end())
            throw EUnknownRuleElement(Format(
                "The rules file holds the %s %s, which no registered class or loaded plugin provides",
                kind, GUIDToString(guid)));
        targets.push_back(found->get());
    }
    for (TElement* element : targets) element->LoadFromStream(stream);
}

} // namespace

TFilterRule::TFilterRule() {
    for (int i = 0; i < ConditionClassCount(); ++i)
        if (TConditionClass create = ConditionClass(i)) FConditions.push_back(create());
    for (int i = 0; i < ActionClassCount(); ++i)
        if (TActionClass create = ActionClass(i)) FActions.push_back(create());
}

TFilterRule::~TFilterRule() = default;

TFilterCondition& TFilterRule::Conditions(int index) const { return ElementAt(FConditions, index, "condition"); }

TFilterAction& TFilterRule::Actions(int index) const { return ElementAt(FActions, index, "action"); }

void TFilterRule::AppendAction(std::unique_ptr<TFilterAction> action) {
    if (action) FActions.push_back(std::move(action));
}

void TFilterRule::AssignTo(TFilterRule& dest) const {
    dest.Mode = Mode;
    dest.Enabled = Enabled;
    dest.Name = Name;
    for (size_t i = 0; i < FConditions.size() && i < dest.FConditions.size(); ++i)
        dest.FConditions[i]->Assign(*FConditions[i]);
    for (size_t i = 0; i < FActions.size() && i < dest.FActions.size(); ++i)
        dest.FActions[i]->Assign(*FActions[i]);
}

void TFilterRule::SaveToStream(TStream& stream) const {
    SaveElements(stream, FConditions);
    SaveElements(stream, FActions);
    WriteByte(stream, Mode);
    WriteString32(stream, Name);
    WriteBool(stream, Enabled);
}

void TFilterRule::LoadFromStream(TStream& stream) {
    LoadElements(stream, FConditions, "condition");
    LoadElements(stream, FActions, "action");
    Mode = ReadByte(stream);
    Name = ReadString32(stream);
    Enabled = ReadBool(stream);
}

} // namespace vorlin
