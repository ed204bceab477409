// Projects and links made in memory for the dialog tests and the
// screenshots, and a temporary directory.
#pragma once

#include "project/DownloadLink.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <QTemporaryDir>

#include <string>

namespace vorlin::test {

// Adds a link of the project; path is what follows "http://host/".
inline TDownloadLink* AddLink(TDownloadProject& project, const std::string& host, const std::string& path,
                              TLinkKind kind = lkHttp, int level = 1) {
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://" + host + "/");
    link->Path = path;
    link->LocalFileName = path;
    link->Kind = kind;
    link->Level = level;
    project.Links->Add(link);
    return link;
}

// A page with the links found on it.
inline void Refer(TDownloadLink* page, std::initializer_list<TDownloadLink*> links) {
    for (TDownloadLink* link : links) {
        page->References.push_back(link);
        link->Referrers.push_back(page);
    }
}

} // namespace vorlin::test
