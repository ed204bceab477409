// What the rule tests share: a project with one link under test, a scratch
// directory, and access to a rule's built-in elements by class.
#pragma once

#include "platform/FileSystem.h"
#include "project/DownloadLink.h"
#include "project/DownloadProject.h"
#include "links/UrlHelpers.h"
#include "rules/HTTPVorlinRules.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace vorlin::test {

// A directory below the system's temporary one, removed with its contents.
class TScratchDir {
public:
    TScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorlin-rules-XXXXXX").string();
        FPath = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
        EXPECT_FALSE(FPath.empty());
    }
    ~TScratchDir() {
        std::error_code ec;
        if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::string& Path() const { return FPath; }

private:
    std::string FPath;
};

// A project that stays on http://host/ with one link, http://host/dir/page.html.
struct TLinkFixture {
    TDownloadProject Project;
    TDownloadLink Link{&Project};

    TLinkFixture() {
        Project.StartServer = "http://host/";
        Project.StartDomain = "host";
        Project.ScopeMode = smStayOnServer;
        SetURL("dir/page.html");
    }
    void SetURL(const std::string& path) {
        Link.SetServer("http://host/");
        Link.Path = path;
        bool invalid = false;
        Link.LocalFileName = URLToLocalName(path, ",", true, invalid);
    }
};

template <class T> T& ElementOf(TFilterRule& rule) {
    T* element = FindElement<T>(rule);
    if (!element) throw Exception("the rule has no such element");
    return *element;
}
template <class T> T& ConditionOf(TFilterRule& rule) { return ElementOf<T>(rule); }
template <class T> T& ActionOf(TFilterRule& rule) { return ElementOf<T>(rule); }

} // namespace vorlin::test
