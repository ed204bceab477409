// The link's size must lie below and/or above limits given in KB.
#pragma once

#include "rules/HTTPVorlinCondition.h"

#include <cstdint>

namespace vorlin {

class TFileSizeCondition : public TDescribedElement<THTTPVorlinCondition> {
public:
    int32_t MinSize = 0;  // KB; the greater test is size > MinSize KB
    int32_t MaxSize = 0;  // KB; the less test is size < MaxSize KB
    bool LessEnabled = false;
    bool GreaterEnabled = false;

    vorlin_sdk::GUID GetClassGUID() const override;
    // The size is known once the response header arrived.
    TPhaseSet GetPhases() const override { return PhaseSet({1, 2}); }
    bool Evaluate() override;

    std::string GetTemplateText() const override;
    bool Edit() override;

    void AssignTo(TFilterElement& dest) const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

protected:
    TSentence Describe() const override;
};

} // namespace vorlin
