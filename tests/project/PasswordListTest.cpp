#include "project/PasswordList.h"

#include "platform/Stream.h"
#include "project/DownloadLink.h"
#include "project/PasswordScrambler.h"
#include "tests/project/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/file.h>

using namespace vorlin;

namespace {

struct TLinkAt {
    explicit TLinkAt(const std::string& url) : Link(nullptr) {
        size_t root = url.find('/', url.find("//") + 2);
        Link.SetServer(url.substr(0, root + 1));
        Link.Path = url.substr(root + 1);
    }
    TDownloadLink Link;
};

std::string Int32(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[static_cast<size_t>(i)] = static_cast<char>(static_cast<uint32_t>(v) >> (8 * i));
    return s;
}

std::string Text(const std::string& t) { return Int32(static_cast<int32_t>(t.size())) + t; }

} // namespace

TEST(PassWordList, KeysIgnoreTheQueryAndStoreReplacesOrPutsFirst) {
    TPassWordList list;
    TLinkAt a("http://h/a/page.html?x=1"), b("http://h/a/page.html?y=2"), c("http://h/c.html");
    EXPECT_EQ(TPassWordList::KeyOf(a.Link), "http://h/a/page.html");
    list.Store(a.Link, "u1", "p1");
    list.Store(b.Link, "u2", "p2");  // same key: replaced
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0)->UserName, "u2");
    list.Store(c.Link, "u3", "p3");
    EXPECT_EQ(list.Items(0)->URL, "http://h/c.html");  // new entries go first
    EXPECT_EQ(list.Find(a.Link)->Password, "p2");
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Delete(3), Exception);
    list.Clear();
    EXPECT_EQ(list.Find(a.Link), nullptr);
}

TEST(PassWordList, FindPrefersExactThenTheDeepestDirectory) {
    TPassWordList list;
    list.Store(TLinkAt("http://h/index.html").Link, "root", "r");
    list.Store(TLinkAt("http://h/a/b/page.html").Link, "deep", "d");
    list.Store(TLinkAt("http://h/a/other.html").Link, "mid", "m");

    // A sibling in the same directory: distance 0.
    EXPECT_EQ(list.Find(TLinkAt("http://h/a/b/sibling.html").Link)->UserName, "deep");
    // Below a directory: the deepest matching one wins.
    EXPECT_EQ(list.Find(TLinkAt("http://h/a/b/c/d.html").Link)->UserName, "deep");
    EXPECT_EQ(list.Find(TLinkAt("http://h/a/x/y.html").Link)->UserName, "mid");
    EXPECT_EQ(list.Find(TLinkAt("http://h/z.html").Link)->UserName, "root");
    // An exact match beats an earlier candidate by prefix.
    list.Store(TLinkAt("http://h/a/b/c/d.html").Link, "exact", "e");
    list.Store(TLinkAt("http://h/a/b/c/any.html").Link, "closer", "c");
    EXPECT_EQ(list.Find(TLinkAt("http://h/a/b/c/d.html").Link)->UserName, "exact");
    EXPECT_EQ(list.Find(TLinkAt("http://other/x.html").Link), nullptr);
}

TEST(PassWordList, APrefixThatIsNotADirectoryDoesNotMatch) {
    TPassWordList list;
    list.Store(TLinkAt("http://h/a/b/page.html").Link, "ab", "x");
    // "http://h/a/b" begins "http://h/a/bx.html", but b/ is not its directory.
    EXPECT_EQ(list.Find(TLinkAt("http://h/a/bx.html").Link), nullptr);
    // A host is not a prefix of a longer host name.
    TPassWordList hosts;
    hosts.Store(TLinkAt("http://bank/login.html").Link, "me", "secret");
    EXPECT_EQ(hosts.Find(TLinkAt("http://bank.evil.net/x.html").Link), nullptr);
    EXPECT_NE(hosts.Find(TLinkAt("http://bank/x.html").Link), nullptr);
}

TEST(PassWordList, TheFileKeepsOrderAndScramblesPasswords) {
    TTempDir dir;
    TPassWordList list;
    list.Store(TLinkAt("http://h/2.html").Link, "second", "");
    list.Store(TLinkAt("http://h/1.html").Link, "first", "secret");
    list.SaveToFile(dir.Path + "passwords.lst");
    EXPECT_EQ(ReadAll(dir.Path + "passwords.lst"),
              Int32(2) + Text("http://h/1.html") + Text("first") + Text("+HLS40Qs") +
                  Text("http://h/2.html") + Text("second") + Text(""));
    TPassWordList loaded;
    loaded.LoadFromFile(dir.Path + "passwords.lst");
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.Items(0)->UserName, "first");
    EXPECT_EQ(loaded.Items(0)->Password, "secret");
    EXPECT_EQ(loaded.Items(1)->Password, "");

    WriteAll(dir.Path + "none.lst", Int32(0));
    TPassWordList empty;
    empty.LoadFromFile(dir.Path + "none.lst");
    EXPECT_EQ(empty.Count(), 0);
}

TEST(PassWordList, DamagedLockedOrMissingFilesKeepTheEntriesRead) {
    TTempDir dir;
    const std::string open =
        "Cannot open Passwordlist please ensure that no other instance of HTTP Vorlin is Saving!";
    std::string one = Text("http://h/1.html") + Text("u") + Text(ScramblePassword("p"));
    struct TCase {
        std::string Bytes;
        int Kept;
    };
    for (const TCase& c : {TCase{Int32(3) + one, 1}, TCase{Int32(2) + one + Int32(0x7FFFFFF0), 1},
                           TCase{Int32(1) + Text("u") + Text("n") + Text("abc"), 0},
                           TCase{"xy", 0}}) {
        WriteAll(dir.Path + "bad.lst", c.Bytes);
        TPassWordList list;
        try {
            list.LoadFromFile(dir.Path + "bad.lst");
            ADD_FAILURE() << "no exception";
        } catch (const EPassWordListError& e) {
            EXPECT_EQ(e.Message(), open);
        }
        EXPECT_EQ(list.Count(), c.Kept);
    }
    TPassWordList list;
    EXPECT_THROW(list.LoadFromFile(dir.Path + "missing.lst"), EPassWordListError);

    // Another instance is writing (holds an exclusive lock).
    WriteAll(dir.Path + "busy.lst", Int32(1) + one);
    TFileStream writer(dir.Path + "busy.lst", fmOpenReadWrite);
    ASSERT_EQ(::flock(writer.Handle(), LOCK_EX | LOCK_NB), 0);
    EXPECT_THROW(list.LoadFromFile(dir.Path + "busy.lst"), EPassWordListError);

    try {
        list.SaveToFile(dir.Path + "no/such/dir/passwords.lst");
        ADD_FAILURE() << "no exception";
    } catch (const EPassWordListError& e) {
        EXPECT_EQ(e.Message(),
                  "Cannot save Passwordlist please ensure that no other instance of HTTP Vorlin is Saving!");
    }
}
