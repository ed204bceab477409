// `vorlin fetch`: one HTTP request with the client alone, in the manner of
// `curl -i`, for looking at what a server answers the way the engine asks.
// The body goes to a file or standard output; the status line and header
// lines go to standard error.
#include "cli/Command.h"

#include "net/HttpCli.h"
#include "platform/HiddenPasswords.h"
#include "net/TransportErrors.h"
#include "platform/MessageQueue.h"
#include "platform/Stream.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vorlin::cli {

namespace {

constexpr int kMaxRedirects = 10;

const char* const kUsage =
    "usage: vorlin fetch [--head] [-o FILE] [--proxy HOST:PORT] [--user-agent TEXT]\n"
    "                    [--no-check-certificate] [--ca-certificate FILE] [--keep-alive] URL\n"
    "  Performs one GET (or HEAD) request for an http:// or https:// URL, follows\n"
    "  up to 10 redirects, writes the body to FILE (default: standard output) and\n"
    "  the status line and header lines to standard error. https is checked\n"
    "  against the system's authorities (and those in --ca-certificate);\n"
    "  --no-check-certificate accepts any certificate. --keep-alive speaks\n"
    "  HTTP/1.1 and keeps the connection across redirects. Exits 0 on any HTTP\n"
    "  answer, 1 when the request failed, 2 on bad arguments.\n";

struct TFetchOptions {
    bool Head = false;
    std::string OutputFile;
    std::string Proxy;
    std::string UserAgent;
    bool HasUserAgent = false;
    bool CheckCertificates = true;
    std::string CaFile;
    bool KeepAlive = false;
    std::string URL;
};

// Answers false (with a message printed) on bad arguments.
bool ParseArguments(const std::vector<std::string>& args, TFetchOptions& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "vorlin fetch: %s needs a value\n", a.c_str());
                return false;
            }
            target = args[++i];
            return true;
        };
        if (a == "--head") {
            o.Head = true;
        } else if (a == "-o" || a == "--output") {
            if (!value(o.OutputFile)) return false;
        } else if (a == "--proxy") {
            if (!value(o.Proxy)) return false;
        } else if (a == "--user-agent" || a == "-A") {
            if (!value(o.UserAgent)) return false;
            o.HasUserAgent = true;
        } else if (a == "--no-check-certificate") {
            o.CheckCertificates = false;
        } else if (a == "--ca-certificate") {
            if (!value(o.CaFile)) return false;
        } else if (a == "--keep-alive") {
            o.KeepAlive = true;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "vorlin fetch: unknown option '%s'; see 'vorlin fetch --help'\n", a.c_str());
            return false;
        } else if (o.URL.empty()) {
            o.URL = a;
        } else {
            std::fprintf(stderr, "vorlin fetch: only one URL, please; see 'vorlin fetch --help'\n");
            return false;
        }
    }
    if (o.URL.empty()) {
        std::fprintf(stderr, "vorlin fetch: no URL given; see 'vorlin fetch --help'\n");
        return false;
    }
    return true;
}

// The text that says why the request failed.
std::string FailureText(const THttpCli& client, uint16_t error) {
    if (client.ReasonPhrase().find("(Error #") != std::string::npos || error == 3) return client.ReasonPhrase();
    const std::string why = client.TransportFailure().empty() ? TransportErrorDesc(error) : client.TransportFailure();
    return why + " (Error #" + std::to_string(error) + ")";
}

int RunFetch(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::printf("%s", kUsage);
        return kExitOk;
    }
    TFetchOptions o;
    if (!ParseArguments(args, o)) return kExitUsage;

    THttpCli client;
    client.URL = o.URL;
    if (!o.Proxy.empty()) client.Proxy = o.Proxy;
    if (o.HasUserAgent) client.Agent = o.UserAgent;
    client.Tls.CheckCertificates = o.CheckCertificates;
    client.Tls.CaFile = o.CaFile;
    client.KeepAlive = o.KeepAlive;

    std::unique_ptr<TFileStream> file;
    if (!o.OutputFile.empty()) {
        file = std::make_unique<TFileStream>(o.OutputFile, fmCreate);
        client.ReceiveStream = file.get();
    } else {
        client.OnDocData = [](THttpCli&, const char* data, int len) {
            std::fwrite(data, 1, static_cast<size_t>(len), stdout);
        };
    }

    size_t printedLines = 0;
    client.OnHeaderEnd = [&](THttpCli& c) {
        const auto& lines = c.ReceivedHeader();
        for (; printedLines < lines.size(); ++printedLines) std::fprintf(stderr, "%s\n", lines[printedLines].c_str());
        std::fprintf(stderr, "\n");
    };
    int redirects = 0;
    bool tooManyRedirects = false;
    client.OnLocationChange = [&](THttpCli& c, bool& redirect) {
        redirect = redirects < kMaxRedirects;
        if (redirect) {
            ++redirects;
            std::fprintf(stderr, "-> %s\n\n", HideURLPasswords(c.Location()).c_str());
        } else {
            tooManyRedirects = true;
        }
    };
    bool done = false;
    uint16_t error = 0;
    client.OnRequestDone = [&](THttpCli&, THttpRequest, uint16_t e) {
        done = true;
        error = e;
    };

    if (o.Head)
        client.Head();
    else
        client.Get();
    while (!done) {
        TMsg msg;
        if (!GetMessage(msg)) break;
        DispatchMessage(msg);
    }
    std::fflush(stdout);

    if (tooManyRedirects) {
        std::fprintf(stderr, "vorlin fetch: more than %d redirects\n", kMaxRedirects);
        return kExitFailure;
    }
    if (error != 0) {
        std::fprintf(stderr, "vorlin fetch: %s\n", FailureText(client, error).c_str());
        return kExitFailure;
    }
    if (client.StatusCode() == 0 && client.ReceivedHeader().empty() && client.ReceivedCount() == 0) {
        std::fprintf(stderr, "vorlin fetch: Empty reply from server\n");
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace

VORLIN_COMMAND("fetch", "one HTTP request with the engine's client, like curl -i", RunFetch);

} // namespace vorlin::cli
