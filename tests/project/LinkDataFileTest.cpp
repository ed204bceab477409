#include "project/DownloadLinks.h"

#include "platform/DebugLog.h"
#include "platform/Stream.h"
#include "project/DownloadProject.h"
#include "project/LinkVotes.h"
#include "project/TaggedStream.h"
#include "tests/project/FakeVotes.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <zlib.h>

#include <vector>

using namespace vorlin;

namespace {

std::string Inflate(const std::string& compressed) {
    std::string out(1 << 20, '\0');
    uLongf size = out.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                         reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()),
              Z_OK);
    out.resize(size);
    return out;
}

std::string Deflate(const std::string& data) {
    std::string out(compressBound(data.size()), '\0');
    uLongf size = out.size();
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(data.data()), data.size(), 9);
    out.resize(size);
    return out;
}

TDownloadLink* MakeLink(TDownloadProject& project, const std::string& path) {
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://h/");
    link->Path = path;
    link->LocalFileName = path;
    return link;
}

// Two links: the start page, which references an image and itself.
void FillKnownList(TDownloadProject& project) {
    TDownloadLink* page = MakeLink(project, "a.html");
    page->TagName = "";
    page->MimeType = "text/html";
    page->LastModified = 2.0;
    page->State = lsDownloaded;
    page->Size = 1234;
    page->LinkType = ltPage;
    page->SendCredentials = true;
    TDownloadLink* image = MakeLink(project, "i.gif");
    image->TagName = "IMG";
    image->ScopeDir = "d/";
    image->ExternalLevel = 2;
    image->BaseResolved = true;
    image->Kind = lkRelative;
    image->Invalid = true;
    image->State = lsFilteredOut;
    image->Size = -1;
    image->Level = 1;
    image->LinkType = ltSource;
    image->Forced = true;
    project.Links->Add(page);
    project.Links->InsertAfter(page, image);
    page->References = {image, page};
    image->Referrers = {page};
    page->Referrers = {page};
}

std::string KnownListBytes() {
    const std::string version = Bytes({5, 0xEC, 0x51, 0xB8, 0x1E, 0x85, 0xEB, 0x51, 0xF8, 0xFE, 0x3F});
    std::string page = Str("a.html") + Str("http://h/") + Str("") + Str("") + Str("a.html") +
                       Str("text/html") + Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0x40}) + Bytes({2, 0}) +
                       Bytes({8}) + Bytes({2, 0}) + Bytes({8}) + Bytes({2, 1}) +
                       Bytes({3, 0xD2, 0x04}) + Bytes({2, 0}) + Bytes({2, 1}) + Bytes({8}) +
                       Bytes({1, 2, 1, 2, 0, 0}) + Bytes({9});
    std::string image = Str("i.gif") + Str("http://h/") + Str("d/") + Str("IMG") + Str("i.gif") +
                        Str("") + Bytes({17, 0, 0, 0, 0, 0, 0, 0, 0}) + Bytes({2, 2}) + Bytes({9}) +
                        Bytes({2, 4}) + Bytes({9}) + Bytes({2, 2}) + Bytes({2, 0xFF}) +
                        Bytes({2, 1}) + Bytes({2, 0}) + Bytes({9}) + Bytes({1, 0}) + Bytes({8});
    return version + Bytes({1}) + page + image + Bytes({0});
}

// A link record of an older layout, references given.
std::string OldRecord(const std::string& path, std::initializer_list<int> references, int version,
                      const std::string& server = "http://h/") {
    TMemoryStream m;
    TTaggedWriter w(m);
    w.WriteString(path);
    w.WriteString(server);
    w.WriteString("");
    w.WriteString("A");
    w.WriteString(path);
    w.WriteString("text/html");
    w.WriteDate(0);
    w.WriteInteger(0);
    w.WriteBoolean(false);
    w.WriteInteger(lkHttp);
    w.WriteBoolean(false);
    w.WriteInteger(lsDownloaded);
    w.WriteInteger(10);
    w.WriteInteger(0);
    w.WriteInteger(ltPage);
    w.WriteBoolean(false);
    w.WriteListBegin();
    for (int r : references) w.WriteInteger(r);
    w.WriteListEnd();
    if (version >= 96) w.WriteBoolean(true);
    if (version == 96) {
        w.WriteString("old one");
        w.WriteString("old two");
    }
    w.Flush();
    return m.ToString();
}

std::string DataFile(double version, const std::string& records) {
    TMemoryStream m;
    TTaggedWriter w(m);
    w.WriteFloat(version);
    w.WriteListBegin();
    w.Flush();
    return Deflate(m.ToString() + records + Bytes({0}));
}

struct TDebugLines {
    TDebugLines() { FOld = SetDebugLogSink([this](const std::string& l) { Lines.push_back(l); }); }
    ~TDebugLines() { SetDebugLogSink(FOld); }
    std::vector<std::string> Lines;
    TDebugLogSink FOld;
};

} // namespace

TEST(LinkDataFile, AKnownListIsWrittenToExactBytesAtBestCompression) {
    TTempDir dir;
    TDownloadProject project;
    FillKnownList(project);
    std::vector<int> progress;
    int sender = 0;
    project.Links->SaveToFile(
        dir.Path + "p.dat",
        [&](void* s, TDownloadProject* p, int percent) {
            EXPECT_EQ(s, &sender);
            EXPECT_EQ(p, &project);
            progress.push_back(percent);
        },
        &sender, 0.97);
    std::string file = ReadAll(dir.Path + "p.dat");
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(file[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(file[1]), 0xDA);  // level 9
    EXPECT_EQ(Inflate(file), KnownListBytes());
    EXPECT_EQ(progress, (std::vector<int>{50, 100}));
}

TEST(LinkDataFile, RoundTripRestoresFieldsReferencesAndReferrers) {
    TTempDir dir;
    TDownloadProject saved;
    FillKnownList(saved);
    saved.Links->SaveToFile(dir.Path + "p.dat");

    TDownloadProject loaded;
    int announced = 0;
    loaded.Links->OnChange = [&](TDownloadLink*) { ++announced; };
    EXPECT_FLOAT_EQ(static_cast<float>(loaded.Links->LoadFromFile(dir.Path + "p.dat")), 0.98f);
    ASSERT_EQ(loaded.Links->Count(), 2);
    EXPECT_EQ(announced, 2);
    TDownloadLink* page = loaded.Links->Items(0);
    TDownloadLink* image = loaded.Links->Items(1);
    EXPECT_EQ(page->Project, &loaded);
    EXPECT_EQ(page->LocalDir(), "h\\");
    EXPECT_EQ(page->MimeType, "text/html");
    EXPECT_EQ(page->LastModified, 2.0);
    EXPECT_EQ(page->State, lsDownloaded);
    EXPECT_EQ(page->Size, 1234);
    EXPECT_TRUE(page->SendCredentials);
    EXPECT_FALSE(page->Forced);
    EXPECT_EQ(image->ScopeDir, "d/");
    EXPECT_EQ(image->TagName, "IMG");
    EXPECT_EQ(image->ExternalLevel, 2);
    EXPECT_TRUE(image->BaseResolved);
    EXPECT_EQ(image->Kind, lkRelative);
    EXPECT_TRUE(image->Invalid);
    EXPECT_EQ(image->State, lsFilteredOut);
    EXPECT_EQ(image->Size, -1);
    EXPECT_EQ(image->Level, 1);
    EXPECT_TRUE(image->Forced);
    EXPECT_EQ(image->Slot, 0);
    EXPECT_EQ(page->References, (std::vector<TDownloadLink*>{image, page}));
    EXPECT_EQ(image->Referrers, (std::vector<TDownloadLink*>{page}));
    EXPECT_EQ(page->Referrers, (std::vector<TDownloadLink*>{page}));
    TDownloadLink* found = nullptr;
    EXPECT_TRUE(loaded.Links->AlreadyFound("http://h/i.gif", found));
    EXPECT_EQ(found, image);
}

TEST(LinkDataFile, OlderFilesKeepTheirHostOnlyLocalDirectories) {
    // Files of 0.97 and before were stored below the host name alone: their
    // links keep that directory, new links of the project too, and the file
    // stays in that version. A new list puts non-default ports in it.
    TTempDir dir;
    WriteAll(dir.Path + "old.dat", DataFile(0.97, OldRecord("a", {}, 97, "http://h:8080/")));
    TDownloadProject old;
    old.Links->LoadFromFile(dir.Path + "old.dat");
    ASSERT_EQ(old.Links->Count(), 1);
    EXPECT_EQ(old.Links->Items(0)->LocalDir(), "h\\");
    TDownloadLink* added = MakeLink(old, "b");
    added->SetServer("http://h:8081/");
    old.Links->Add(added);
    EXPECT_EQ(added->LocalDir(), "h\\");
    old.Links->SaveToFile(dir.Path + "again.dat");
    TDownloadProject again;
    EXPECT_FLOAT_EQ(static_cast<float>(again.Links->LoadFromFile(dir.Path + "again.dat")), 0.97f);
    EXPECT_EQ(again.Links->Items(1)->LocalDir(), "h\\");

    TDownloadProject fresh;
    fresh.Links->Add(MakeLink(fresh, "a"));
    fresh.Links->Items(0)->SetServer("http://h:8080/");
    EXPECT_EQ(fresh.Links->Items(0)->LocalDir(), "h+8080\\");
    fresh.Links->SaveToFile(dir.Path + "new.dat");
    TDownloadProject loaded;
    EXPECT_FLOAT_EQ(static_cast<float>(loaded.Links->LoadFromFile(dir.Path + "new.dat")), 0.98f);
    EXPECT_EQ(loaded.Links->Items(0)->LocalDir(), "h+8080\\");
    // Clearing the list (a reset project) starts the new layout.
    old.Links->Clear();
    TDownloadLink* reset = MakeLink(old, "c");
    reset->SetServer("http://h:8080/");
    EXPECT_EQ(reset->LocalDir(), "h+8080\\");
    delete reset;
}

TEST(LinkDataFile, AListReadsLocalDirectoriesInTheLayoutOfItsOwnFile) {
    // Not in that of the project's list, which may hold a newer file.
    TTempDir dir;
    WriteAll(dir.Path + "old.dat", DataFile(0.97, OldRecord("a", {}, 97, "http://h:8080/") +
                                                      OldRecord("b", {}, 97, "http://h:8080/")));
    TDownloadProject project;
    TDownloadLinks other(&project);
    other.LoadFromFile(dir.Path + "old.dat");
    ASSERT_EQ(other.Count(), 2);
    EXPECT_EQ(other[0]->LocalDir(), "h\\");
    EXPECT_EQ(other[1]->LocalDir(), "h\\");
    EXPECT_EQ(other[1]->Server(), "http://h:8080/");
}

TEST(LinkDataFile, APluginsForceVoteIsStoredAsForced) {
    TTempDir dir;
    TDownloadProject saved;
    TFakeVotes force;
    force.Force = true;
    saved.Plugins = &force;
    FillKnownList(saved);
    saved.Links->SaveToFile(dir.Path + "p.dat");
    TDownloadProject loaded;  // no plugins
    loaded.Links->LoadFromFile(dir.Path + "p.dat");
    EXPECT_TRUE(loaded.Links->Items(0)->Forced);
    EXPECT_TRUE(loaded.Links->Items(0)->IsForced());
}

TEST(LinkDataFile, ReadsVersionsNinetyFiveAndNinetySix) {
    TTempDir dir;
    WriteAll(dir.Path + "95.dat", DataFile(0.95, OldRecord("a", {1}, 95) + OldRecord("b", {}, 95)));
    TDownloadProject p95;
    EXPECT_FLOAT_EQ(static_cast<float>(p95.Links->LoadFromFile(dir.Path + "95.dat")), 0.95f);
    ASSERT_EQ(p95.Links->Count(), 2);
    EXPECT_FALSE(p95.Links->Items(0)->SendCredentials);
    EXPECT_EQ(p95.Links->Items(0)->References.size(), 1u);
    EXPECT_EQ(p95.Links->Items(1)->Path, "b");

    WriteAll(dir.Path + "96.dat", DataFile(0.96, OldRecord("a", {}, 96) + OldRecord("b", {0}, 96)));
    TDownloadProject p96;
    EXPECT_FLOAT_EQ(static_cast<float>(p96.Links->LoadFromFile(dir.Path + "96.dat")), 0.96f);
    ASSERT_EQ(p96.Links->Count(), 2);
    EXPECT_TRUE(p96.Links->Items(0)->SendCredentials);
    EXPECT_EQ(p96.Links->Items(1)->Path, "b");
    EXPECT_EQ(p96.Links->Items(0)->Referrers.size(), 1u);
}

TEST(LinkDataFile, BadReferenceIndicesAreReportedAndSkipped) {
    TTempDir dir;
    WriteAll(dir.Path + "p.dat", DataFile(0.97, OldRecord("a", {5, -1, 1}, 97) +
                                                    OldRecord("b", {0}, 97)));
    TDebugLines debug;
    TDownloadProject p;
    p.Links->LoadFromFile(dir.Path + "p.dat");
    EXPECT_EQ(debug.Lines, (std::vector<std::string>{"Error while restoring Link.References",
                                                      "Error while restoring Link.References"}));
    EXPECT_EQ(p.Links->Items(0)->References, (std::vector<TDownloadLink*>{p.Links->Items(1)}));
    EXPECT_EQ(p.Links->Items(1)->References, (std::vector<TDownloadLink*>{p.Links->Items(0)}));
}

TEST(LinkDataFile, DamagedFilesKeepTheLinksReadSoFar) {
    TTempDir dir;
    // Ends inside the third record.
    std::string records = OldRecord("a", {2}, 97) + OldRecord("b", {0}, 97) + OldRecord("c", {}, 97);
    TMemoryStream m;
    TTaggedWriter w(m);
    w.WriteFloat(0.97);
    w.WriteListBegin();
    w.Flush();
    std::string plain = m.ToString() + records;
    WriteAll(dir.Path + "cut.dat", Deflate(plain.substr(0, plain.size() - 10)));
    TDownloadProject p;
    try {
        p.Links->LoadFromFile(dir.Path + "cut.dat");
        FAIL() << "no exception";
    } catch (const ELoadLinksException& e) {
        EXPECT_EQ(e.Message().rfind("Error loading project data: ", 0), 0u) << e.Message();
    }
    ASSERT_EQ(p.Links->Count(), 2);
    // The reference to the link that never arrived is dropped, the others made.
    EXPECT_TRUE(p.Links->Items(0)->References.empty());
    EXPECT_EQ(p.Links->Items(1)->References, (std::vector<TDownloadLink*>{p.Links->Items(0)}));

    // Not zlib at all; zlib data cut short; an empty file.
    WriteAll(dir.Path + "junk.dat", "this is not compressed");
    EXPECT_THROW(p.Links->LoadFromFile(dir.Path + "junk.dat"), ELoadLinksException);
    std::string good = DataFile(0.97, OldRecord("a", {}, 97));
    WriteAll(dir.Path + "short.dat", good.substr(0, good.size() / 2));
    EXPECT_THROW(p.Links->LoadFromFile(dir.Path + "short.dat"), ELoadLinksException);
    WriteAll(dir.Path + "empty.dat", "");
    EXPECT_THROW(p.Links->LoadFromFile(dir.Path + "empty.dat"), ELoadLinksException);
    // A record of the wrong kind.
    WriteAll(dir.Path + "kind.dat", DataFile(0.97, Bytes({2, 1})));
    EXPECT_THROW(p.Links->LoadFromFile(dir.Path + "kind.dat"), ELoadLinksException);
}

TEST(LinkDataFile, AFileCutInsideItsCompressedDataKeepsEveryWholeRecordBeforeTheCut) {
    // A copy cut short (a disk that filled up, a copy stopped half-way):
    // every record that decompresses whole is a link, however the reading
    // is split into pieces on its way.
    TTempDir dir;
    std::string records;
    const int total = 4000;
    std::mt19937 random(5);
    for (int i = 0; i < total; ++i) {
        char path[32];
        std::snprintf(path, sizeof path, "p%06u.html", static_cast<unsigned>(random() % 1000000));
        records += OldRecord(path, {}, 97);
    }
    const size_t recordSize = records.size() / total;
    TMemoryStream m;
    TTaggedWriter w(m);
    w.WriteFloat(0.97);
    w.WriteListBegin();
    w.Flush();
    const std::string head = m.ToString();
    const std::string whole = Deflate(head + records + Bytes({0}));
    const std::string cut = whole.substr(0, whole.size() * 6 / 10);
    // What zlib itself gets out of the cut data.
    z_stream z{};
    ASSERT_EQ(inflateInit(&z), Z_OK);
    std::string plain(head.size() + records.size() + 1, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(cut.data()));
    z.avail_in = static_cast<uInt>(cut.size());
    z.next_out = reinterpret_cast<Bytef*>(plain.data());
    z.avail_out = static_cast<uInt>(plain.size());
    ASSERT_EQ(inflate(&z, Z_SYNC_FLUSH), Z_OK);
    const size_t readable = z.total_out;
    inflateEnd(&z);
    const int expected = static_cast<int>((readable - head.size()) / recordSize);
    ASSERT_GT(expected, 100);
    ASSERT_LT(expected, total);

    WriteAll(dir.Path + "cut.dat", cut);
    TDownloadProject p;
    EXPECT_THROW(p.Links->LoadFromFile(dir.Path + "cut.dat"), ELoadLinksException);
    EXPECT_EQ(p.Links->Count(), expected);
}

TEST(LinkDataFile, AMissingFileIsVersionZeroAndChangesNothing) {
    TTempDir dir;
    TDownloadProject p;
    p.Links->Add(MakeLink(p, "x"));
    EXPECT_EQ(p.Links->LoadFromFile(dir.Path + "none.dat"), 0.0);
    EXPECT_EQ(p.Links->Count(), 1);
}

TEST(LinkDataFile, AnEmptyListAndAReferenceOutsideTheList) {
    TTempDir dir;
    TDownloadProject p;
    p.Links->SaveToFile(dir.Path + "empty.dat");
    EXPECT_EQ(Inflate(ReadAll(dir.Path + "empty.dat")).substr(11), Bytes({1, 0}));

    TDownloadLink* page = MakeLink(p, "a");
    p.Links->Add(page);
    TDownloadLink outsider(&p);
    page->References.push_back(&outsider);
    p.Links->SaveToFile(dir.Path + "one.dat");
    std::string plain = Inflate(ReadAll(dir.Path + "one.dat"));
    EXPECT_NE(plain.find(Bytes({1, 2, 0xFF, 0})), std::string::npos);  // written as -1
}
