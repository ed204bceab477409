// Any bytes as a Netscape bookmark file: a menu or EBookmarkImport, no
// crash, and nesting and size bounded by the reader's limits.
#include "app/bookmarks/NetscapeImport.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// Builds nothing, but walks every level as the real menus do.
class TCountingMenu : public vorlin::app::IBookmarkMenu {
public:
    vorlin::app::IBookmarkMenu* AddFolder(const std::string&, int) override {
        FChildren.push_back(std::make_unique<TCountingMenu>());
        return FChildren.back().get();
    }
    void AddBookmark(const std::string&, const std::string&, int) override {}

private:
    std::vector<std::unique_ptr<TCountingMenu>> FChildren;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorlin::app::TNetscapeImport reader;
    TCountingMenu menu;
    reader.MenuItem = &menu;
    try {
        reader.ImportText(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const vorlin::app::EBookmarkImport&) {
    }
    return 0;
}
