#include "rules/FileSizeCondition.h"

#include "platform/StringUtils.h"
#include "project/DownloadLink.h"
#include "rules/RuleClassGUIDs.h"
#include "rules/RuleEditor.h"
#include "rules/RuleStream.h"

namespace vorlin {

vorlin_sdk::GUID TFileSizeCondition::GetClassGUID() const { return GUID_FileSizeCondition; }

bool TFileSizeCondition::Evaluate() {
    if (!Link) return false;
    // In 64 bits: limits up to 2^31 KB must not wrap.
    const int64_t size = Link->Size;
    const bool less = size < int64_t(MaxSize) * 1024;
    const bool greater = size > int64_t(MinSize) * 1024;
    bool result = false;
    if (LessEnabled && GreaterEnabled)
        result = Mode == cmAll ? less && greater : Mode == cmAny ? less || greater : false;
    else if (LessEnabled)
        result = less;
    else if (GreaterEnabled)
        result = greater;
    return Negate ? !result : result;
}

TSentence TFileSizeCondition::Describe() const {
    std::string part;
    if (LessEnabled) part = Format("< %d KB", MaxSize);
    if (LessEnabled && GreaterEnabled) part += " " + Connector() + " ";
    if (GreaterEnabled) part += Format("> %d KB", MinSize);
    if (part.empty()) return FillPlaceholder(RuleText(rtFileSize), RuleText(rtSizePlaceholder));
    return FillPlaceholder(RuleText(Negate ? rtFileSize + toNegatedSentence : rtFileSize), part);
}

std::string TFileSizeCondition::GetTemplateText() const {
    return FillPlaceholder(RuleText(rtFileSize), RuleText(rtSizePlaceholder)).Text;
}

bool TFileSizeCondition::Edit() {
    IRuleEditor* editor = RuleEditor();
    if (!editor) return false;
    return EditOrRestore(*this, [&] { return editor->EditFileSizeCondition(*this); });
}

void TFileSizeCondition::AssignTo(TFilterElement& dest) const {
    TDescribedElement::AssignTo(dest);
    auto& d = SameClass<TFileSizeCondition>(dest);
    d.MinSize = MinSize;
    d.MaxSize = MaxSize;
    d.LessEnabled = LessEnabled;
    d.GreaterEnabled = GreaterEnabled;
}

void TFileSizeCondition::SaveToStream(TStream& stream) const {
    TDescribedElement::SaveToStream(stream);
    WriteInt32(stream, MinSize);
    WriteInt32(stream, MaxSize);
    WriteBool(stream, LessEnabled);
    WriteBool(stream, GreaterEnabled);
}

void TFileSizeCondition::LoadFromStream(TStream& stream) {
    TDescribedElement::LoadFromStream(stream);
    MinSize = ReadInt32(stream);
    MaxSize = ReadInt32(stream);
    LessEnabled = ReadBool(stream);
    GreaterEnabled = ReadBool(stream);
}

} // namespace vorlin
