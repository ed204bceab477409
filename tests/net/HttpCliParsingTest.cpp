// The client's header-line and body routines fed directly, and its pure helpers.
#include "net/HttpCli.h"
#include "platform/DateTime.h"
#include "tests/net/HttpProbe.h"

#include <gtest/gtest.h>

using namespace vorlin;
using vorlin::test::THttpProbe;

TEST(HttpCliParsing, HeaderAndBodyInOneReadReachDocDataAtOnce) {
    THttpProbe c;
    c.BeginResponseForTest(THttpRequest::hrGet);
    c.Feed("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nfirst bytes");
    EXPECT_EQ(c.Body, "first bytes");
    EXPECT_EQ(c.Events, (std::vector<std::string>{"HeaderBegin", "HeaderEnd", "DocBegin", "DocData"}));
    c.Feed("\r\nmore\n");
    EXPECT_EQ(c.Body, "first bytes\r\nmore\n");  // the body is passed on as received
}

TEST(HttpCliParsing, HeaderLinesMaySplitAcrossReads) {
    THttpProbe c;
    c.BeginResponseForTest(THttpRequest::hrGet);
    for (char ch : std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 12\r\n"))
        c.Feed(std::string(1, ch));
    EXPECT_EQ(c.StatusCode(), 404);
    EXPECT_EQ(c.ReasonPhrase(), "Not Found");
    EXPECT_EQ(c.ContentLength(), 12);
    EXPECT_EQ(c.ReceivedHeader().size(), 2u);
}

TEST(HttpCliParsing, HeaderlessHtmlIsBody) {
    THttpProbe c;
    c.BeginResponseForTest(THttpRequest::hrGet);
    c.Feed("<html><body>x</body>\r\n</html>\r\n");
    EXPECT_EQ(c.ContentType(), "text/html");
    EXPECT_EQ(c.State(), THttpCliState::hcReadingBody);
    EXPECT_EQ(c.Events, (std::vector<std::string>{"HeaderBegin", "HeaderEnd", "DocBegin", "DocData"}));
    // The first line goes without its line end; the rest as received.
    EXPECT_EQ(c.Body, "<html><body>x</body></html>\r\n");
}

TEST(HttpCliParsing, FullBufferWithoutLineEndIsALineTooLong) {
    THttpProbe c;
    c.BeginResponseForTest(THttpRequest::hrGet);
    std::string line(THttpCli::kReceiveBufferSize, 'a');
    EXPECT_EQ(c.DeliverReceived(line.data(), static_cast<int>(line.size())), THttpCli::kReceiveBufferSize);
    try {
        c.DeliverReceived("b", 1);
        FAIL() << "a full buffer must raise";
    } catch (const EHttpException& e) {
        EXPECT_EQ(e.Message(), "HTTP line too long");
        EXPECT_EQ(e.ErrorCode, 4);
    }
}

TEST(HttpCliParsing, NonNumericValuesRaiseAndConsumeTheLine) {
    THttpProbe c;
    c.BeginResponseForTest(THttpRequest::hrGet);
    EXPECT_THROW(c.Feed("HTTP/1.0 abc Bad\r\nContent-Type: text/plain\r\n"), EConvertError);
    EXPECT_EQ(c.ReceivedHeader().size(), 1u);
    c.Feed("");  // nothing new: the next read resumes with the waiting line
    c.Feed("X: y\r\n");
    EXPECT_EQ(c.ContentType(), "text/plain");
}

TEST(HttpCliParsing, ExeAnsweredAsHtmlBecomesHtm) {
    vorlin::SetHostLookup([](const std::string&, std::vector<std::string>&) { return 11001; });
    for (const char* type : {"text/html", "application/octet-stream"}) {
        THttpProbe c;
        c.URL = "http://h.test/prog/setup.exe";
        c.Get();  // sets DocumentName; stops in the lookup
        c.Abort();
        c.BeginResponseForTest(THttpRequest::hrGet);
        c.Feed(std::string("HTTP/1.0 200 OK\r\nContent-Type: ") + type + "\r\n\r\n");
        EXPECT_EQ(c.DocumentName(), std::string(type) == "text/html" ? "setup.htm" : "setup.exe");
    }
    vorlin::SetHostLookup(nullptr);
}

TEST(HttpCliParsing, CookiesAreOfferedWithAcceptTrue) {
    THttpProbe c;
    std::vector<std::string> cookies;
    c.OnCookie = [&](THttpCli&, const std::string& data, bool& accept) {
        EXPECT_TRUE(accept);
        cookies.push_back(data);
    };
    c.BeginResponseForTest(THttpRequest::hrGet);
    c.Feed("HTTP/1.0 200 OK\r\nSet-Cookie:   id=1; path=/\r\nset-cookie: x=2\r\n");
    EXPECT_EQ(cookies, (std::vector<std::string>{"id=1; path=/", "x=2"}));
}

struct TLocationCase {
    std::string Name, Proxy, Value, Location, RequestPath, ConnectHost, ConnectPort, TargetHost;
};

class HttpCliLocation : public ::testing::TestWithParam<TLocationCase> {};

// Starts from a request for http://www.a.test:81/dir/page (or through a proxy).
TEST_P(HttpCliLocation, WorksOutTheNewLocation) {
    const TLocationCase& k = GetParam();
    THttpProbe c;
    c.Proxy = k.Proxy;
    c.URL = "http://www.a.test:81/dir/page";
    // Without a lookup routine that knows the names, Get stops in the lookup;
    // the fields are those of the request until the location line arrives.
    vorlin::SetHostLookup([](const std::string&, std::vector<std::string>&) { return 11001; });
    c.Get();
    c.Abort();
    c.BeginResponseForTest(THttpRequest::hrGet);
    c.Feed("HTTP/1.0 302 Found\r\nLocation: " + k.Value + "\r\n");
    EXPECT_EQ(c.Location(), k.Location);
    EXPECT_EQ(c.RequestPath(), k.RequestPath);
    EXPECT_EQ(c.ConnectHost(), k.ConnectHost);
    EXPECT_EQ(c.ConnectPort(), k.ConnectPort);
    EXPECT_EQ(c.TargetHost(), k.TargetHost);
    vorlin::SetHostLookup(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Redirects, HttpCliLocation,
    ::testing::Values(
        TLocationCase{"Rooted", "", "/other?q", "http://www.a.test:81/other?q", "/other?q", "www.a.test", "81",
                      "www.a.test"},
        TLocationCase{"Absolute", "", "http://b.test/x/y", "http://b.test/x/y", "/x/y", "b.test", "81", "b.test"},
        TLocationCase{"AbsoluteWithPort", "", "http://b.test:8080/x", "http://b.test:8080/x", "/x", "b.test", "8080",
                      "b.test"},
        TLocationCase{"AbsoluteWithoutPath", "", "http://b.test", "http://b.test", "/", "b.test", "81", "b.test"},
        TLocationCase{"BareName", "", "next.html", "http://www.a.test:81/next.html",
                      "http://www.a.test:81/next.html", "www.a.test", "81", "www.a.test"},
        TLocationCase{"HostAndPathNoScheme", "", "c.test/z", "http://www.a.test:81/dir/page", "/z", "c.test", "81",
                      "c.test"},
        TLocationCase{"ProxyRooted", "proxy.test:3128", "/p", "http://www.a.test:81/p", "http://www.a.test:81/p",
                      "proxy.test", "3128", "www.a.test"},
        TLocationCase{"ProxyAbsolute", "proxy.test:3128", "http://d.test/q", "http://d.test/q", "http://d.test/q",
                      "proxy.test", "3128", "d.test"}),
    [](const ::testing::TestParamInfo<TLocationCase>& info) { return info.param.Name; });

TEST(HttpCliHelpers, FormatHttpDateAndReplaceExtension) {
    EXPECT_EQ(FormatHttpDate(EncodeDate(1994, 11, 6) + EncodeTime(8, 49, 37, 0)), "Sun, 06 Nov 1994 08:49:37");
    EXPECT_EQ(FormatHttpDate(EncodeDate(1900, 1, 1)), "Mon, 01 Jan 1900 00:00:00");
    EXPECT_EQ(FormatHttpDate(EncodeDate(2024, 2, 29) + EncodeTime(23, 59, 59, 0)), "Thu, 29 Feb 2024 23:59:59");
    std::string name = "setup.exe";
    ReplaceExtension(name, "htm");
    EXPECT_EQ(name, "setup.htm");
    name = "a.b.c";
    ReplaceExtension(name, "d");
    EXPECT_EQ(name, "a.b.d");
    name = "README";
    ReplaceExtension(name, "txt");
    EXPECT_EQ(name, "README.txt");
}

TEST(HttpCliHelpers, DocumentNameFromTheUrl) {
    vorlin::SetHostLookup([](const std::string&, std::vector<std::string>&) { return 11001; });
    auto nameOf = [](const std::string& url) {
        THttpProbe c;
        c.URL = url;
        c.Get();
        std::string name = c.DocumentName();
        c.Abort();
        return name;
    };
    EXPECT_EQ(nameOf("http://h.test"), "document.htm");
    EXPECT_EQ(nameOf("http://h.test/"), "document.htm");
    EXPECT_EQ(nameOf("http://h.test/a/dir/"), "dir");
    EXPECT_EQ(nameOf("http://h.test/a/file.cgi?x=/y"), "y");
    EXPECT_EQ(nameOf("http://h.test/a/file.cgi?x=1"), "file.cgi");
    vorlin::SetHostLookup(nullptr);
}
