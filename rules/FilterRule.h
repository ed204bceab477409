// One filter rule: "if these conditions are met, execute these actions".
// A rule holds one element of every registered condition and action class,
// in registration order; adding a condition to a rule means making its
// element Active. How the conditions are joined and what executing means is
// up to the subclass (the download engine's rule).
#pragma once

#include "platform/Exception.h"
#include "platform/Stream.h"
#include "rules/FilterElement.h"

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace vorlin {

// A rules file naming an element that no registered class provides. The
// file has no element lengths, so nothing after it could be read safely.
class EUnknownRuleElement : public Exception {
public:
    using Exception::Exception;
};

class TFilterRule {
public:
    enum : uint8_t { rmAll = 0, rmAny = 1 };  // values of Mode

    TFilterRule();
    virtual ~TFilterRule();
    TFilterRule(const TFilterRule&) = delete;
    TFilterRule& operator=(const TFilterRule&) = delete;

    std::string Name;
    bool Enabled = false;
    int32_t Index = 0;    // position in the list, refreshed by every indexed access
    uint8_t Mode = rmAll; // rmAll joins the conditions by "and", rmAny by "or"

    int ConditionCount() const { return static_cast<int>(FConditions.size()); }
    int ActionCount() const { return static_cast<int>(FActions.size()); }
    // Throw Exception for an index out of range.
    TFilterCondition& Conditions(int index) const;
    TFilterAction& Actions(int index) const;

    // Copies Mode, Enabled and Name, then assigns each element to the one at
    // the same index of dest.
    virtual void AssignTo(TFilterRule& dest) const;
    void Assign(const TFilterRule& source) { source.AssignTo(*this); }

    virtual bool Evaluate() = 0;
    virtual void ExecuteActions() = 0;
    // A click at a character position of the rule's description.
    virtual void DescriptionClick(int position) = 0;
    // Opens the rule's dialog; true when it was confirmed.
    virtual bool Edit() = 0;

    // Elements the stream does not mention keep their settings. Throws
    // EUnknownRuleElement before reading any element data when the stream
    // names a class the rule has no element of.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

protected:
    // For subclasses that add actions beyond the registered classes.
    void AppendAction(std::unique_ptr<TFilterAction> action);

private:
    std::vector<std::unique_ptr<TFilterCondition>> FConditions;
    std::vector<std::unique_ptr<TFilterAction>> FActions;
};

// The rule's element of exactly class T (a condition or an action class),
// or nullptr when the rule has none.
template <class T> T* FindElement(const TFilterRule& rule) {
    constexpr bool isCondition = std::is_base_of_v<TFilterCondition, T>;
    const int count = isCondition ? rule.ConditionCount() : rule.ActionCount();
    for (int i = 0; i < count; ++i) {
        TFilterElement& e = isCondition ? static_cast<TFilterElement&>(rule.Conditions(i))
                                        : static_cast<TFilterElement&>(rule.Actions(i));
        if (typeid(e) == typeid(T)) return static_cast<T*>(&e);
    }
    return nullptr;
}

} // namespace vorlin
