// The conditions of the download engine's rules: each tests one link of one
// project, in the phases it names, and can be negated as a whole. Mask
// conditions test a text of the link against a list of masks joined by
// "and" or "or".
#pragma once

#include "rules/FilterElement.h"
#include "rules/Mask.h"
#include "rules/RulePhases.h"
#include "rules/RuleTexts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorlin {

class TDownloadLink;
class TDownloadProject;

class THTTPVorlinCondition : public TFilterCondition {
public:
    enum : uint8_t { cmAll = 0, cmAny = 1 };  // values of Mode

    TDownloadProject* Project = nullptr;
    TDownloadLink* Link = nullptr;
    bool Negate = false;     // "Negotiate the whole condition"
    uint8_t Mode = cmAll;    // how the condition joins its own parts

    void SetLink(TDownloadLink* link) { Link = link; }
    void SetProject(TDownloadProject* project) { Project = project; }

    virtual TPhaseSet GetPhases() const = 0;
    // Called once per condition after the run loaded the rules.
    virtual void Prepare() {}

    void AssignTo(TFilterElement& dest) const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

protected:
    // "and" or "or" for Mode.
    std::string Connector() const;
};

class THTTPVorlinMaskCondition : public TDescribedElement<THTTPVorlinCondition> {
public:
    std::vector<std::string> Masks;

    // Throws EMaskException for a malformed mask that the evaluation
    // reaches. An edited mask counts at once.
    bool Evaluate() override;

    std::string GetListHeading() const { return RuleText(TextGroup() + toListHeading); }
    std::string GetNegatedListHeading() const { return RuleText(TextGroup() + toNegatedListHeading); }
    std::string GetMaskFormat() const { return RuleText(TextGroup() + toSentence); }
    std::string GetNegatedMaskFormat() const { return RuleText(TextGroup() + toNegatedSentence); }

    std::string GetTemplateText() const override;
    bool Edit() override;

    void AssignTo(TFilterElement& dest) const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

protected:
    // The first of the condition's four texts.
    virtual TRuleText TextGroup() const = 0;
    // The text of the link the masks are matched against.
    virtual std::string Subject() const = 0;
    // An empty subject is false whatever Negate says (a link without that text).
    virtual bool EmptySubjectIsFalse() const { return true; }
    TSentence Describe() const override;

private:
    // Compiled Masks[i], compiled again whenever its text changed.
    const TMask& CompiledMask(size_t i);

    struct TCompiled {
        std::string Text;
        std::optional<TMask> Mask;
    };
    std::vector<TCompiled> FCompiled;

    // The masks as the description shows them, or "'mask'".
    std::string MaskListText() const;
};

} // namespace vorlin
