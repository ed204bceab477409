// Arbitrary bytes as a page, fed to the HTML link parser in blocks whose
// sizes come from the first input bytes. Besides not crashing, the parser
// must keep its promises: a mirror stores every byte, and the rewritten
// copy and the links found do not depend on where the blocks end.
#include "links/HTMLParser.h"
#include "platform/Stream.h"
#include "project/DownloadLinks.h"
#include "project/DownloadProject.h"
#include "project/LocalPath.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vorlin;

namespace {

// Kept on the heap so that the clean-up at exit still finds it.
const std::string& ScratchDir() {
    static const std::string* dir = [] {
        std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        auto* d = new std::string(base + "/vorlin-fuzz-" + std::to_string(getpid()) + "/");
        std::filesystem::create_directories(*d);
        std::atexit([] { std::filesystem::remove_all(ScratchDir()); });
        return d;
    }();
    return *dir;
}

struct TResult {
    std::string Stored;
    std::vector<std::string> Links;
    bool Failed = false; // a call raised, as a bad link may
};

TResult ParseInBlocks(const std::string& page, TProjectMode mode, TJavaScriptMode js,
                      const std::vector<size_t>& blocks) {
    TDownloadProject project;
    project.TargetDir = ScratchDir();
    project.StartServer = "http://h/";
    project.ProjectMode = mode;
    project.JavaScriptMode = js;
    auto* link = new TDownloadLink(&project);
    link->SetServer("http://h/");
    link->Path = "a/b/index.html";
    link->LocalFileName = "a\\b\\index.html";
    link->ScopeDir = "a/b/";
    project.Links->Add(link);

    TResult result;
    {
        THTMLParser parser(project);
        TMemoryStream stream;
        parser.BeginDocument(*link, stream);
        size_t at = 0;
        for (size_t i = 0; at < page.size(); ++i) {
            size_t n = blocks.empty() ? page.size()
                                      : std::min(blocks[i % blocks.size()], page.size() - at);
            stream.Write(page.data() + at, static_cast<int64_t>(n));
            at += n;
            try {
                parser.ParseAvailable();
            } catch (const Exception&) {
                // A bad link ends the page as it ends the transfer in a run.
                result.Failed = true;
                break;
            }
        }
        parser.EndDocument();
    }
    std::ifstream in(LinkFilePath(project, *link), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    result.Stored = content.str();
    for (TDownloadLink* found : link->References)
        result.Links.push_back(found->FullURL());
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t options = data[0];
    std::vector<size_t> blocks;
    for (size_t i = 1; i < 5 && i < size; ++i)
        blocks.push_back(1 + data[i] % 64);
    std::string page(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 5),
                     size - std::min<size_t>(size, 5));
    TJavaScriptMode js = options & 2 ? jsDelete : jsInterpret;

    if (options & 1) {
        TResult mirror = ParseInBlocks(page, pmMirror, jsInterpret, blocks);
        if (mirror.Stored != page) {
            std::fprintf(stderr, "mirror copy differs from the page\n");
            std::abort();
        }
        return 0;
    }
    TResult whole = ParseInBlocks(page, pmOfflineBrowse, js, {});
    TResult split = ParseInBlocks(page, pmOfflineBrowse, js, blocks);
    if (whole.Failed || split.Failed) return 0;
    if (whole.Links != split.Links || whole.Stored != split.Stored) {
        std::fprintf(stderr, "the blocks changed the result\n");
        std::abort();
    }
    return 0;
}
