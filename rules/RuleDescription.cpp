#include "rules/RuleDescription.h"

#include "rules/FilterRule.h"
#include "rules/RuleTexts.h"

#include <algorithm>

namespace vorlin {

namespace {

constexpr const char* kIndent = "   ";

class TDescriptionBuilder {
public:
    explicit TDescriptionBuilder(TRuleDescription& out) : FOut(out) {}

    void Heading(int text) { EndLine(RuleText(text)); }

    // "   [connector ]sentence"
    void ElementLine(TFilterElement& element, const std::string& connector) {
        FLineStart = Position();
        FOut.Text += kIndent;
        if (!connector.empty()) {
            Mark(Position(), static_cast<int>(connector.size()), TRuleDescription::TLinkKind::lkConnector);
            FOut.Text += connector + " ";
        }
        const int sentenceStart = Position();
        const std::string sentence = element.GetDescription();
        FOut.Text += sentence;
        // A plugin's element may answer any numbers: keep its link inside its sentence.
        const int size = static_cast<int>(sentence.size());
        const int start = element.GetLinkStart();
        const int length = std::min(element.GetLinkLength(), size - start + 1);
        if (start > 0 && start <= size && length > 0)
            Mark(sentenceStart + start - 1, length, TRuleDescription::TLinkKind::lkElement);
        FOut.Lines.push_back({FLineStart, Position() - FLineStart, &element});
        EndLine(std::string());
    }

    void Finish() {
        if (!FOut.Text.empty() && FOut.Text.back() == '\n') FOut.Text.pop_back();
    }

private:
    int Position() const { return static_cast<int>(FOut.Text.size()); }
    void Mark(int start, int length, TRuleDescription::TLinkKind kind) { FOut.Links.push_back({start, length, kind}); }
    void EndLine(const std::string& text) { FOut.Text += text + "\n"; }

    TRuleDescription& FOut;
    int FLineStart = 0;
};

} // namespace

const TRuleDescription::TLink* TRuleDescription::ConnectorAt(int position) const {
    for (const TLink& link : Links)
        if (link.Kind == TLinkKind::lkConnector && position >= link.Start && position < link.Start + link.Length)
            return &link;
    return nullptr;
}

TFilterElement* TRuleDescription::ElementAt(int position) const {
    for (const TLine& line : Lines)
        if (position >= line.Start && position <= line.Start + line.Length) return line.Element;
    return nullptr;
}

TRuleDescription DescribeRule(const TFilterRule& rule) {
    TRuleDescription description;
    TDescriptionBuilder builder(description);
    builder.Heading(rtConditionsHeading);
    const std::string connector = RuleText(rule.Mode == TFilterRule::rmAll ? rtAnd : rtOr);
    bool first = true;
    for (int i = 0; i < rule.ConditionCount(); ++i) {
        TFilterCondition& condition = rule.Conditions(i);
        if (!condition.Active) continue;
        builder.ElementLine(condition, first ? std::string() : connector);
        first = false;
    }
    builder.Heading(rtActionsHeading);
    for (int i = 0; i < rule.ActionCount(); ++i) {
        TFilterAction& action = rule.Actions(i);
        if (action.Active) builder.ElementLine(action, std::string());
    }
    builder.Finish();
    return description;
}

} // namespace vorlin
