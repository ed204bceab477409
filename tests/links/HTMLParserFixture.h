// A project in a temporary target directory with one page,
// http://h/a/index.html, and a parser for it; pages are fed in blocks as the
// run feeds them, and the stored copy is read back.
#pragma once

#include "links/HTMLParser.h"
#include "links/UrlHelpers.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vorlin {

class THTMLParserFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vorlin-parser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        FDir = pattern;
        Project.TargetDir = FDir + "/site/";
        Project.StartServer = "http://h/";
        Project.ScopeMode = smStayInDirectory;
        PageLink = AddStoredLink("http://h/", "a/index.html", ltPage);
        PageLink->ScopeDir = "a/";
        Parser = std::make_unique<THTMLParser>(Project);
    }
    void TearDown() override {
        Parser.reset();
        std::filesystem::remove_all(FDir);
    }

    // A link already in the list, as the run or an earlier page made it.
    TDownloadLink* AddStoredLink(const std::string& server, const std::string& path,
                                 TLinkType type) {
        auto* link = new TDownloadLink(&Project);
        link->SetServer(server);
        link->Path = path;
        link->LinkType = type;
        bool invalid = false;
        link->LocalFileName = URLToLocalName(path, ",", true, invalid);
        Project.Links->Add(link);
        return link;
    }

    // Parses html as page's body arriving in the given blocks (all at once
    // when none) and answers the stored copy.
    std::string Parse(const std::string& html, const std::vector<size_t>& blockSizes = {},
                      TDownloadLink* page = nullptr) {
        page = page ? page : PageLink;
        TMemoryStream stream;
        MostHeld = 0;
        Parser->BeginDocument(*page, stream);
        size_t at = 0;
        for (size_t size : blockSizes) {
            size = std::min(size, html.size() - at);
            Append(stream, html.substr(at, size));
            at += size;
        }
        Append(stream, html.substr(at));
        Parser->EndDocument();
        return Stored(*page);
    }

    void Append(TMemoryStream& stream, const std::string& block) {
        stream.Write(block.data(), static_cast<int64_t>(block.size()));
        Parser->ParseAvailable();
        MostHeld = std::max(MostHeld, stream.Size() - stream.Origin());
    }
    // The most the input stream held after a block was parsed.
    int64_t MostHeld = 0;

    std::string Stored(const TDownloadLink& link) const {
        std::ifstream in(LinkFilePath(Project, link), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }

    TDownloadLink* Find(const std::string& url) const {
        TDownloadLink* link = nullptr;
        Project.Links->AlreadyFound(url, link);
        return link;
    }

    // The full URLs of the list, in order.
    std::vector<std::string> ListOrder() const {
        std::vector<std::string> urls;
        for (TDownloadLink* link : *Project.Links)
            urls.push_back(link->FullURL());
        return urls;
    }

    std::string FDir;
    TDownloadProject Project;
    TDownloadLink* PageLink = nullptr;
    std::unique_ptr<THTMLParser> Parser;
};

} // namespace vorlin
