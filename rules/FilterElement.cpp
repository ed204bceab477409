#include "rules/FilterElement.h"

#include "platform/Exception.h"
#include "rules/RuleStream.h"

namespace vorlin {

void TFilterElement::AssignTo(TFilterElement& dest) const {
    if (dest.GetClassGUID() != GetClassGUID()) RaiseAssignError(*this, dest);
    dest.Active = Active;
}

void TFilterElement::SaveToStream(TStream& stream) const { WriteBool(stream, Active); }

void TFilterElement::LoadFromStream(TStream& stream) { Active = ReadBool(stream); }

void RaiseAssignError(const TFilterElement& source, const TFilterElement& dest) {
    throw Exception("Cannot assign a " + GUIDToString(source.GetClassGUID()) + " element to a " +
                    GUIDToString(dest.GetClassGUID()) + " element");
}

} // namespace vorlin
