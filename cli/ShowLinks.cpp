// `vorlin show-links [--json] FILE.dat`: the links of a link data file, one
// line each, or as JSON for scripts.
#include "cli/Command.h"
#include "cli/ReadableText.h"
#include "platform/HiddenPasswords.h"

#include "platform/Exception.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <cstdio>
#include <iostream>

namespace vorlin::cli {

namespace {

const char* const kUsage =
    "usage: vorlin show-links [--json] FILE.dat\n"
    "Prints the links of a link data file, one line each: state, kind, type,\n"
    "level, size, MIME type, URL and local name, separated by tabs. --json\n"
    "prints one JSON object with every stored field. Exits 1 when the file is\n"
    "missing or damaged (the links read before the damage are shown).\n";

void PrintLines(const TDownloadLinks& links, double version) {
    std::printf("# state\tkind\ttype\tlevel\tsize\tmime-type\turl\tlocal-name\n");
    for (TDownloadLink* l : links) {
        std::printf("%s\t%s\t%s\t%d\t%d\t%s\t%s\t%s\n", LinkStateName(l->State),
                    LinkKindName(l->Kind), LinkTypeName(l->LinkType), l->Level, l->Size,
                    l->MimeType.empty() ? "-" : PrintableText(l->MimeType).c_str(),
                    PrintableText(HideURLPasswords(l->FullURL())).c_str(),
                    PrintableText(l->LocalDir() + l->LocalFileName).c_str());
    }
    std::printf("# %d links, file version %.2f\n", links.Count(), version);
}

void PrintJson(const TDownloadLinks& links, double version, const std::string& error) {
    std::printf("{\"version\": %.2f, \"count\": %d,", version, links.Count());
    if (!error.empty()) std::printf(" \"error\": %s,", JsonString(error).c_str());
    std::printf(" \"links\": [");
    int index = 0;
    for (TDownloadLink* l : links) {
        std::string refs;
        for (const TDownloadLink* r : l->References)
            refs += (refs.empty() ? "" : ", ") + std::to_string(links.IndexOf(r));
        std::printf("%s\n  {\"index\": %d, \"state\": \"%s\", \"kind\": \"%s\", \"type\": \"%s\", "
                    "\"level\": %d, \"externalLevel\": %d, \"size\": %d, \"mimeType\": %s, "
                    "\"url\": %s, \"server\": %s, \"path\": %s, \"localDir\": %s, "
                    "\"localFileName\": %s, \"scopeDir\": %s, \"tagName\": %s, "
                    "\"lastModified\": %s, \"forced\": %s, \"invalid\": %s, "
                    "\"baseResolved\": %s, \"sendCredentials\": %s, \"references\": [%s]}",
                    index ? "," : "", index, LinkStateName(l->State), LinkKindName(l->Kind),
                    LinkTypeName(l->LinkType), l->Level, l->ExternalLevel, l->Size,
                    JsonString(l->MimeType).c_str(), JsonString(HideURLPasswords(l->FullURL())).c_str(),
                    JsonString(HideURLPasswords(l->Server())).c_str(), JsonString(l->Path).c_str(),
                    JsonString(l->LocalDir()).c_str(), JsonString(l->LocalFileName).c_str(),
                    JsonString(l->ScopeDir).c_str(), JsonString(l->TagName).c_str(),
                    l->LastModified == 0 ? "null" : JsonString(DateText(l->LastModified)).c_str(),
                    l->Forced ? "true" : "false",
                    l->Invalid ? "true" : "false", l->BaseResolved ? "true" : "false",
                    l->SendCredentials ? "true" : "false", refs.c_str());
        ++index;
    }
    std::printf("%s]}\n", index ? "\n" : "");
}

int ShowLinks(const std::vector<std::string>& args) {
    bool json = false;
    std::string path;
    int status = ReadFileArguments(args, "show-links", kUsage, "--json", json, path);
    if (status >= 0) return status;

    TDownloadProject project;
    std::string error;
    double version = 0;
    try {
        version = project.Links->LoadFromFile(path);
    } catch (const Exception& e) {
        error = e.Message();
    }
    if (json)
        PrintJson(*project.Links, version, error);
    else
        PrintLines(*project.Links, version);
    std::fflush(stdout);  // the links first, then what went wrong
    if (!error.empty()) {
        std::cerr << "vorlin show-links: " << path << ": " << error << "\n";
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("show-links", "list the links of a link data file (.dat)", ShowLinks);

} // namespace vorlin::cli
