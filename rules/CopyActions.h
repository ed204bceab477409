// The copy actions of phase 2: copy a saved file into a directory of the
// user's, flat or keeping the file's path. An existing file is never
// overwritten: the copy gets a number before its extension (name1.ext,
// name2.ext, ...). The part of the destination below the directory comes
// from link data and so from servers; it never leaves the directory.
#pragma once

#include "rules/HTTPVorlinAction.h"
#include "rules/RuleTexts.h"

#include <string>

namespace vorlin {

class TCopyToDirAction : public TDescribedElement<THTTPVorlinAction> {
public:
    std::string Directory;  // host path chosen by the user

    vorlin_sdk::GUID GetClassGUID() const override;
    TPhaseSet GetPhases() const override { return PhaseSet({2}); }
    // Throws when no directory is set or the file can't be copied.
    void Execute() override;

    std::string GetTemplateText() const override;
    bool Edit() override;

    void AssignTo(TFilterElement& dest) const override;
    void SaveToStream(TStream& stream) const override;
    void LoadFromStream(TStream& stream) override;

    // The destination below Directory in the stored form ("\" separated):
    // here the file-name part of the link's local name.
    virtual std::string DestinationName() const;

protected:
    virtual TRuleText SentenceText() const { return rtCopyToDir; }
    TSentence Describe() const override;
};

class TCopyToDirStructureKeepAction : public TCopyToDirAction {
public:
    vorlin_sdk::GUID GetClassGUID() const override;
    // By the project's scope: outside it, or when staying in the domain,
    // the host directory and local name; on the start server the local
    // name; in the start directory the local name below the scope
    // directory.
    std::string DestinationName() const override;

protected:
    TRuleText SentenceText() const override { return rtCopyKeepPath; }
};

// Copies source to dest, or to the first of dest1, dest2, ... (the number
// before the extension) that is free; creates dest's directories. Returns
// the host path written. Throws Exception on failure.
std::string CopyToFreeName(const std::string& source, const std::string& dest);

} // namespace vorlin
