// The four mask conditions: a link's file name, path, URL or content type
// must (or must not) match masks.
#pragma once

#include "rules/HTTPVorlinCondition.h"

namespace vorlin {

// The file-name part of the link's local name; false while it has none.
class TFileNameCondition : public THTTPVorlinMaskCondition {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override { return PhaseSet({0, 1, 2}); }

protected:
    TRuleText TextGroup() const override { return rtFileName; }
    std::string Subject() const override;
};

// The link's path after the server root, without a leading "/".
class TFilePathCondition : public THTTPVorlinMaskCondition {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override { return PhaseSet({0, 1, 2}); }

protected:
    TRuleText TextGroup() const override { return rtFilePath; }
    std::string Subject() const override;
};

// The link's full URL (root and path, no fragment).
class TURLCondition : public THTTPVorlinMaskCondition {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override { return PhaseSet({0, 1, 2}); }

protected:
    TRuleText TextGroup() const override { return rtURL; }
    std::string Subject() const override;
    bool EmptySubjectIsFalse() const override { return false; }
};

// The content type of the response; known from phase 1 on.
class TMimeTypeCondition : public THTTPVorlinMaskCondition {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override { return PhaseSet({1, 2}); }

protected:
    TRuleText TextGroup() const override { return rtMimeType; }
    std::string Subject() const override;
};

} // namespace vorlin
