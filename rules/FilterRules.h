// An ordered list of filter rules and the rules file that stores it. The
// list owns its rules; a subclass decides their class (RuleClass). Loading
// appends to what the list holds already.
#pragma once

#include "platform/Stream.h"
#include "rules/FilterRegistry.h"
#include "rules/FilterRule.h"

#include <memory>
#include <string>
#include <vector>

namespace vorlin {

class TFilterRules {
public:
    TFilterRules() = default;
    virtual ~TFilterRules();  // frees the rules from the last to the first
    TFilterRules(const TFilterRules&) = delete;
    TFilterRules& operator=(const TFilterRules&) = delete;

    // Appends a new rule of the list's class and returns it.
    TFilterRule& Add();
    // Frees the rule at index (Exception when out of range).
    void Delete(int index);
    int Count() const { return static_cast<int>(FRules.size()); }
    // The rule at index, its Index refreshed (Exception when out of range).
    TFilterRule& Rules(int index);

    // A stream or file that ends early keeps the rules read so far and
    // throws the read error. One that names an element no registered class
    // provides throws EUnknownRuleElement and adds nothing.
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& hostPath);
    void SaveToStream(TStream& stream) const;
    // Replaces the file atomically: a failed write leaves the old one.
    void SaveToFile(const std::string& hostPath) const;

protected:
    // A new rule of the class this list holds.
    virtual std::unique_ptr<TFilterRule> RuleClass() const = 0;

private:
    std::vector<std::unique_ptr<TFilterRule>> FRules;
};

} // namespace vorlin
