// The link data file of a list large enough to span many of the list's
// leaves, written at once and beside the run (TLinkDataWriter).
#include "project/LinkDataWriter.h"

#include "platform/Stream.h"
#include "project/DownloadProject.h"
#include "project/LinkDataEncoder.h"
#include "project/TaggedStream.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <random>
#include <vector>

using namespace vorlin;

namespace {

std::string Inflate(const std::string& compressed) {
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    std::string out;
    char buffer[65536];
    int code = Z_OK;
    while (code == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        code = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    EXPECT_EQ(code, Z_STREAM_END);
    inflateEnd(&z);
    return out;
}

// Pages in list order with their images inserted after them, as a run files
// them; each page refers to random earlier and later links, to itself, and
// to one link twice, and one reference leads outside the list.
void FillCrawledList(TDownloadProject& project, TDownloadLink& outsider, int pages) {
    std::mt19937 random(7);
    std::vector<TDownloadLink*> all;
    for (int p = 0; p < pages; ++p) {
        auto* page = new TDownloadLink(&project);
        page->SetServer("http://h/");
        page->Path = "p" + std::to_string(p) + ".html";
        page->LocalFileName = page->Path;
        page->LinkType = ltPage;
        project.Links->Add(page);
        all.push_back(page);
        auto* image = new TDownloadLink(&project);
        image->SetServer(p % 3 ? "http://h/" : "http://other:8080/");
        image->Path = "i" + std::to_string(p) + ".png";
        image->Size = 100000 + p;
        project.Links->InsertAfter(page, image);
        all.push_back(image);
    }
    for (TDownloadLink* page : all) {
        if (page->LinkType != ltPage) continue;
        for (int k = 0; k < 6; ++k) page->References.push_back(all[random() % all.size()]);
        page->References.push_back(page);
        page->References.push_back(page->References.front());
    }
    project.Links->First()->References.push_back(&outsider);
}

// The stream as a plain walk writes it, each reference looked up in the list.
std::string PlainEncoding(TDownloadLinks& links) {
    TMemoryStream m;
    TTaggedWriter w(m);
    w.WriteFloat(kLinkDataVersion);
    w.WriteListBegin();
    for (TDownloadLink* link = links.First(); link; link = links.Next(link)) {
        w.WriteString(link->Path);
        w.WriteString(link->Server());
        w.WriteString(link->ScopeDir);
        w.WriteString(link->TagName);
        w.WriteString(link->LocalFileName);
        w.WriteString(link->MimeType);
        w.WriteDate(link->LastModified);
        w.WriteInteger(link->ExternalLevel);
        w.WriteBoolean(link->BaseResolved);
        w.WriteInteger(link->Kind);
        w.WriteBoolean(link->Invalid);
        w.WriteInteger(link->State);
        w.WriteInteger(link->Size);
        w.WriteInteger(link->Level);
        w.WriteInteger(link->LinkType);
        w.WriteBoolean(link->IsForced());
        w.WriteListBegin();
        for (const TDownloadLink* ref : link->References) w.WriteInteger(links.IndexOf(ref));
        w.WriteListEnd();
        w.WriteBoolean(link->SendCredentials);
    }
    w.WriteListEnd();
    w.Flush();
    return m.ToString();
}

std::vector<int> Positions(const TDownloadLinks& links, const std::vector<TDownloadLink*>& list) {
    std::vector<int> out;
    for (const TDownloadLink* link : list) out.push_back(links.IndexOf(link));
    return out;
}

} // namespace

TEST(LinkDataWriter, ALargeListIsStoredAsAPlainWalkStoresItAndComesBackWhole) {
    TTempDir dir;
    TDownloadProject saved;
    TDownloadLink outsider(&saved);
    FillCrawledList(saved, outsider, 700);  // 1,400 links: many leaves
    saved.Links->SaveToFile(dir.Path + "p.dat");
    EXPECT_EQ(Inflate(ReadAll(dir.Path + "p.dat")), PlainEncoding(*saved.Links));

    TDownloadProject loaded;
    loaded.Links->LoadFromFile(dir.Path + "p.dat");
    ASSERT_EQ(loaded.Links->Count(), saved.Links->Count());
    // The reference to the outsider was stored as -1 and is dropped.
    saved.Links->First()->References.pop_back();
    // Referrers come back in list order of the referring pages, a page
    // that refers twice counted twice.
    std::vector<std::vector<int>> referrers(static_cast<size_t>(saved.Links->Count()));
    for (TDownloadLink* page : *saved.Links)
        for (TDownloadLink* ref : page->References)
            referrers[static_cast<size_t>(saved.Links->IndexOf(ref))].push_back(saved.Links->IndexOf(page));
    int i = 0;
    for (TDownloadLink *a = saved.Links->First(), *b = loaded.Links->First(); a;
         a = saved.Links->Next(a), b = loaded.Links->Next(b), ++i) {
        ASSERT_EQ(a->FullURL(), b->FullURL());
        EXPECT_EQ(a->LocalDir(), b->LocalDir()) << i;
        EXPECT_EQ(Positions(*saved.Links, a->References), Positions(*loaded.Links, b->References)) << i;
        EXPECT_EQ(referrers[static_cast<size_t>(i)], Positions(*loaded.Links, b->Referrers)) << i;
    }
}

TEST(LinkDataWriter, WritesTheListAsItWasWhenStartedWhileTheListGoesOn) {
    TTempDir dir;
    TDownloadProject project;
    TDownloadLink outsider(&project);
    FillCrawledList(project, outsider, 200);
    const std::string before = EncodeLinkData(*project.Links, kLinkDataVersion);
    std::atomic<int> written{0};
    TLinkDataWriter writer;
    writer.Start(*project.Links, dir.Path + "p.dat", kLinkDataVersion, [&] { ++written; });
    EXPECT_TRUE(writer.Started());
    // The run goes on changing its list meanwhile.
    for (TDownloadLink* link : *project.Links) link->State = lsDownloaded;
    auto* late = new TDownloadLink(&project);
    late->SetServer("http://h/");
    late->Path = "late.html";
    project.Links->Add(late);
    writer.Wait();
    EXPECT_FALSE(writer.Started());
    EXPECT_EQ(written, 1);
    EXPECT_EQ(Inflate(ReadAll(dir.Path + "p.dat")), before);

    // A second write replaces the file with the list as it is now.
    writer.Start(*project.Links, dir.Path + "p.dat", kLinkDataVersion);
    writer.Wait();
    EXPECT_EQ(Inflate(ReadAll(dir.Path + "p.dat")), EncodeLinkData(*project.Links, kLinkDataVersion));
}

TEST(LinkDataWriter, AFailedWriteIsToldByWaitAndLeavesNoFile) {
    TTempDir dir;
    TDownloadProject project;
    project.Links->Add(std::make_unique<TDownloadLink>(&project));
    std::atomic<int> written{0};
    TLinkDataWriter writer;
    writer.Start(*project.Links, dir.Path + "no/such/dir/p.dat", kLinkDataVersion, [&] { ++written; });
    EXPECT_THROW(writer.Wait(), EStreamError);
    EXPECT_EQ(written, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path + "no"));
    // The error is told once; the writer is ready for the next write.
    EXPECT_NO_THROW(writer.Wait());
    writer.Start(*project.Links, dir.Path + "p.dat", kLinkDataVersion);
    writer.Wait();
    EXPECT_TRUE(std::filesystem::exists(dir.Path + "p.dat"));
}

TEST(LinkDataWriter, ADestroyedWriterFinishesItsFileFirst) {
    TTempDir dir;
    TDownloadProject project;
    TDownloadLink outsider(&project);
    FillCrawledList(project, outsider, 300);
    {
        TLinkDataWriter writer;
        writer.Start(*project.Links, dir.Path + "p.dat", kLinkDataVersion);
    }
    EXPECT_EQ(Inflate(ReadAll(dir.Path + "p.dat")), EncodeLinkData(*project.Links, kLinkDataVersion));
}
