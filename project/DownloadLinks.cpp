#include "project/DownloadLinks.h"

#include "platform/StringUtils.h"

namespace vorlin {

TDownloadLinks::TDownloadLinks(TDownloadProject* project)
    : Project(project), Root(FTree.Root()) {}

TDownloadLinks::~TDownloadLinks() { Clear(); }

void TDownloadLinks::Attach(int index, TDownloadLink* link) {
    if (!link) throw Exception("Cannot add a null link to the link list");
    if (link->FOwner) throw Exception("The link is already in a link list");
    if (index < 0 || index > Count()) {
        delete link;
        throw Exception(Format("List index out of bounds (%d)", index));
    }
    ++FGeneration;
    try {
        FTree.Insert(link->Server() + link->Path, link);
    } catch (const std::exception& e) {
        delete link;
        throw Exception(std::string("Exception in Links.InsertURL->") + e.what());
    }
    FOrder.Insert(static_cast<size_t>(index), link);
    link->FOwner = this;
    FNames.Add(*link);
    if (OnChange) OnChange(link);
}

int TDownloadLinks::Add(TDownloadLink* link) {
    int index = Count();
    Attach(index, link);
    return index;
}

void TDownloadLinks::Insert(int index, TDownloadLink* link) { Attach(index, link); }

void TDownloadLinks::InsertAfter(TDownloadLink* page, TDownloadLink* link) {
    Attach(IndexOf(page) + 1, link);
}

TDownloadLink* TDownloadLinks::Items(int index) const {
    TDownloadLink* link = index < 0 ? nullptr : FOrder.At(static_cast<size_t>(index));
    if (!link) throw Exception(Format("List index out of bounds (%d)", index));
    return link;
}

int TDownloadLinks::IndexOf(const TDownloadLink* link) const {
    if (!link || link->FOwner != this) return -1;
    return static_cast<int>(FOrder.IndexOf(link));
}

bool TDownloadLinks::AlreadyFound(const std::string& url, TDownloadLink*& link) const {
    try {
        link = FTree.Find(url);
    } catch (const std::exception& e) {
        throw Exception(std::string("Exception in Links.AlreadyFound->") + e.what());
    }
    return link != nullptr;
}

void TDownloadLinks::NumberLinks() const {
    int32_t number = 0;
    for (const TDownloadLink* link : *this) link->FNumber = number++;
}

void TDownloadLinks::LocalNameChanged(TDownloadLink& link) {
    if (link.FOwner != this) return;
    FNames.Remove(link);
    FNames.Add(link);
}

void TDownloadLinks::Clear() {
    ++FGeneration;
    ResolvedTexts.Clear();
    LegacyLocalDirs = false;
    FNames.Clear();
    FTree.Clear();
    FOrder.Clear([](TDownloadLink* link) {
        link->FOwner = nullptr;
        link->TreeNode = nullptr;
        delete link;
    });
}

} // namespace vorlin
