#include "rules/HTTPVorlinCondition.h"

#include "rules/RuleEditor.h"
#include "rules/RuleStream.h"
#include "platform/StringUtils.h"

namespace vorlin {

void THTTPVorlinCondition::AssignTo(TFilterElement& dest) const {
    TFilterCondition::AssignTo(dest);
    auto& d = SameClass<THTTPVorlinCondition>(dest);
    d.Negate = Negate;
    d.Mode = Mode;
}

void THTTPVorlinCondition::SaveToStream(TStream& stream) const {
    TFilterCondition::SaveToStream(stream);
    WriteBool(stream, Negate);
    WriteByte(stream, Mode);
}

void THTTPVorlinCondition::LoadFromStream(TStream& stream) {
    TFilterCondition::LoadFromStream(stream);
    Negate = ReadBool(stream);
    Mode = ReadByte(stream);
}

std::string THTTPVorlinCondition::Connector() const { return RuleText(Mode == cmAll ? rtAnd : rtOr); }

const TMask& THTTPVorlinMaskCondition::CompiledMask(size_t i) {
    if (FCompiled.size() != Masks.size()) FCompiled.resize(Masks.size());
    TCompiled& c = FCompiled[i];
    if (!c.Mask || c.Text != Masks[i]) {
        c.Mask.reset();
        c.Mask.emplace(Masks[i]);
        c.Text = Masks[i];
    }
    return *c.Mask;
}

// Each mask is compiled when the evaluation first reaches it, as if it were
// compiled at every evaluation: a malformed mask raises exactly when it
// would be matched.
bool THTTPVorlinMaskCondition::Evaluate() {
    std::string subject = Subject();
    if (subject.empty() && EmptySubjectIsFalse()) return false;
    bool result = false;
    if (Mode == cmAll) {
        result = !Masks.empty();
        for (size_t i = 0; i < Masks.size() && result; ++i) result = CompiledMask(i).IsMatch(subject);
    } else if (Mode == cmAny) {
        for (size_t i = 0; i < Masks.size() && !result; ++i) result = CompiledMask(i).IsMatch(subject);
    }
    return Negate ? !result : result;
}

std::string THTTPVorlinMaskCondition::MaskListText() const {
    if (Masks.empty()) return RuleText(rtMaskPlaceholder);
    std::string text = Masks[0] + " ";
    for (size_t i = 1; i < Masks.size(); ++i) text += Connector() + " " + Masks[i] + " ";
    return text;
}

TSentence THTTPVorlinMaskCondition::Describe() const {
    return FillPlaceholder(Negate ? GetNegatedMaskFormat() : GetMaskFormat(), MaskListText());
}

std::string THTTPVorlinMaskCondition::GetTemplateText() const {
    return FillPlaceholder(GetMaskFormat(), RuleText(rtMaskPlaceholder)).Text;
}

bool THTTPVorlinMaskCondition::Edit() {
    IRuleEditor* editor = RuleEditor();
    if (!editor) return false;
    return EditOrRestore(*this, [&] { return editor->EditMaskCondition(*this); });
}

void THTTPVorlinMaskCondition::AssignTo(TFilterElement& dest) const {
    TDescribedElement::AssignTo(dest);
    SameClass<THTTPVorlinMaskCondition>(dest).Masks = Masks;
}

// The mask list is stored as one text, each mask followed by CR LF.
void THTTPVorlinMaskCondition::SaveToStream(TStream& stream) const {
    TDescribedElement::SaveToStream(stream);
    std::string text;
    for (const std::string& mask : Masks) text += mask + "\r\n";
    WriteString32(stream, text);
}

void THTTPVorlinMaskCondition::LoadFromStream(TStream& stream) {
    TDescribedElement::LoadFromStream(stream);
    Masks = SplitLines(ReadString32(stream));
}

} // namespace vorlin
