// The elements of a filter rule: conditions and actions. Every rule holds one
// element of each registered class; an element takes part in its rule while
// it is Active. Elements describe themselves for the rule dialogs and store
// their settings in the rules file after the GUID list of their rule.
#pragma once

#include "platform/Stream.h"
#include "plugins/sdk/VorlinPlugin.h"
#include "rules/RuleTexts.h"

#include <memory>
#include <string>

namespace vorlin {

class TFilterElement {
public:
    TFilterElement() = default;
    virtual ~TFilterElement() = default;
    TFilterElement(const TFilterElement&) = delete;
    TFilterElement& operator=(const TFilterElement&) = delete;

    // Copies this element's settings into dest, which must be of the same
    // class (Exception otherwise). Subclasses copy their own fields after
    // calling the base.
    virtual void AssignTo(TFilterElement& dest) const;
    void Assign(const TFilterElement& source) { source.AssignTo(*this); }

    // The entry in the element check lists, a placeholder for the settings.
    virtual std::string GetTemplateText() const = 0;
    // The sentence in the rule description, with the current settings.
    virtual std::string GetDescription() const = 0;
    // Position (from 1) and length in that sentence of the part the user
    // clicks to change the settings; 0 and 0 when there is none.
    virtual int GetLinkStart() const = 0;
    virtual int GetLinkLength() const = 0;
    // Identifies the element's class in the rules file.
    virtual vorlin_sdk::GUID GetClassGUID() const = 0;

    // The element's data: Active, then what subclasses append.
    virtual void SaveToStream(TStream& stream) const;
    virtual void LoadFromStream(TStream& stream);

    // Opens the element's settings dialog; true when it was confirmed.
    virtual bool Edit() = 0;

    bool Active = false;

protected:
    // Throws unless dest is of class T; returns it as T.
    template <class T> T& SameClass(TFilterElement& dest) const;
};

class TFilterCondition : public TFilterElement {
public:
    virtual bool Evaluate() = 0;
};

class TFilterAction : public TFilterElement {
public:
    virtual void Execute() = 0;
};

// An element whose sentence has one clickable part: the three description
// slots come from one Describe().
template <class TBase> class TDescribedElement : public TBase {
public:
    std::string GetDescription() const override { return Describe().Text; }
    int GetLinkStart() const override { return Describe().LinkStart; }
    int GetLinkLength() const override { return Describe().LinkLength; }

protected:
    virtual TSentence Describe() const = 0;
};

[[noreturn]] void RaiseAssignError(const TFilterElement& source, const TFilterElement& dest);

template <class T> T& TFilterElement::SameClass(TFilterElement& dest) const {
    auto* same = dynamic_cast<T*>(&dest);
    if (!same) RaiseAssignError(*this, dest);
    return *same;
}

} // namespace vorlin
