// The description of a rule as the rule dialog shows it:
//   If the following conditions are met:
//      <first condition>
//      and <next condition>
//   then execute these actions:
//      <action>
// with the connector words and each element's clickable part marked as
// links. Positions count bytes of the text from 0, one per line break.
#pragma once

#include <string>
#include <vector>

namespace vorlin {

class TFilterElement;
class TFilterRule;

struct TRuleDescription {
    enum class TLinkKind { lkConnector, lkElement };
    struct TLink {
        int Start = 0;
        int Length = 0;
        TLinkKind Kind = TLinkKind::lkElement;
    };
    // One condition or action line.
    struct TLine {
        int Start = 0;
        int Length = 0;
        TFilterElement* Element = nullptr;
    };

    std::string Text;          // lines joined by "\n"
    std::vector<TLink> Links;  // in text order
    std::vector<TLine> Lines;

    // The connector link at position, or nullptr.
    const TLink* ConnectorAt(int position) const;
    // The element whose line holds position, or nullptr.
    TFilterElement* ElementAt(int position) const;
};

// Describes the active conditions and actions of the rule, joined by the
// rule's Mode.
TRuleDescription DescribeRule(const TFilterRule& rule);

} // namespace vorlin
