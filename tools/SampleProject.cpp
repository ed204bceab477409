// Writes a small sample project, "sample.prj" and "sample.dat", into the
// directory given, so that the inspection commands have something to show
// before the first real download.
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"

#include <cstdio>
#include <string>

using namespace vorlin;

namespace {

TDownloadLink* AddLink(TDownloadProject& project, TDownloadLink* page, const std::string& path,
                       TLinkType type, const std::string& tag, TLinkState state, int32_t size,
                       const std::string& mime) {
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://www.example.com/");
    link->Path = path;
    link->LocalFileName = path;
    for (char& c : link->LocalFileName)
        if (c == '/') c = '\\';
    link->ScopeDir = "";
    link->TagName = tag;
    link->LinkType = type;
    link->State = state;
    link->Size = size;
    link->MimeType = mime;
    if (state == lsDownloaded) link->CompleteLocalFileName();  // as the download stored it
    link->LastModified = state == lsDownloaded ? EncodeDate(2024, 5, 1) + 0.5 : 0;
    link->Level = page ? page->Level + 1 : 0;
    if (!page) {
        project.Links->Add(link);
        return link;
    }
    if (type == ltPage)
        project.Links->Add(link);
    else
        project.Links->InsertAfter(page, link);
    page->References.push_back(link);
    link->Referrers.push_back(page);
    return link;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vorlin-sample-project DIRECTORY\n");
        return 2;
    }
    std::string dir = IncludeTrailingSlash(argv[1]);
    try {
        if (!ForceDirectories(dir)) throw Exception("cannot create " + dir);
        TDownloadProject project;
        project.URL = "www.example.com";
        project.Destination = dir + "site/";
        project.DownloadBckgrds = true;
        project.FollowExternalImages = true;
        project.UseMaxLevelCount = true;
        project.MaxLevelCount = 3;
        project.ExcludeList = {"zip", ".exe"};
        project.IsNew = false;
        project.UseAutentfication = true;
        project.UserName = "demo";
        project.Password = "not-a-real-password";
        project.LastDownloadDate = EncodeDate(2024, 5, 1);
        project.LastDuration = EncodeTime(0, 2, 30, 0);
        project.ProjectSize = 48213;
        project.FileCount = 6;
        project.DownloadedCount = 4;
        project.FilteredOutCount = 1;
        project.AverageCPS = 20480;
        project.PeekCPS = 65536;

        TDownloadLink* start = AddLink(project, nullptr, "", ltPage, "", lsDownloaded, 5120, "text/html");
        start->SendCredentials = true;
        AddLink(project, start, "img/logo.gif", ltSource, "IMG", lsDownloaded, 2048, "image/gif");
        AddLink(project, start, "css/site.css", ltSource, "LINK", lsDownloaded, 900, "text/css");
        TDownloadLink* about =
            AddLink(project, start, "about/", ltPage, "A", lsDownloaded, 40145, "text/html");
        AddLink(project, about, "about/team.zip", ltPage, "A", lsFilteredOut, 0, "");
        AddLink(project, about, "contact.html", ltPage, "A", lsPending, 0, "");

        project.SaveToFile(dir + "sample.prj");
        project.Links->SaveToFile(dir + "sample.dat");
        std::printf("%ssample.prj\n%ssample.dat\n", dir.c_str(), dir.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin-sample-project: %s\n", e.what());
        return 1;
    }
}
