#include "platform/TopLevelWindows.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <type_traits>
#include <vector>

namespace vorlin {

namespace {

// The few libxcb functions used here, looked up at run time.
struct TXcb {
    decltype(&xcb_connect) Connect = nullptr;
    decltype(&xcb_connection_has_error) HasError = nullptr;
    decltype(&xcb_disconnect) Disconnect = nullptr;
    decltype(&xcb_get_setup) GetSetup = nullptr;
    decltype(&xcb_setup_roots_iterator) RootsIterator = nullptr;
    decltype(&xcb_screen_next) ScreenNext = nullptr;
    decltype(&xcb_intern_atom) InternAtom = nullptr;
    decltype(&xcb_intern_atom_reply) InternAtomReply = nullptr;
    decltype(&xcb_get_property) GetProperty = nullptr;
    decltype(&xcb_get_property_reply) GetPropertyReply = nullptr;
    decltype(&xcb_get_property_value) PropertyValue = nullptr;
    decltype(&xcb_get_property_value_length) PropertyValueLength = nullptr;
    decltype(&xcb_query_tree) QueryTree = nullptr;
    decltype(&xcb_query_tree_reply) QueryTreeReply = nullptr;
    decltype(&xcb_query_tree_children) TreeChildren = nullptr;
    decltype(&xcb_query_tree_children_length) TreeChildrenLength = nullptr;
    decltype(&xcb_send_event) SendEvent = nullptr;
    decltype(&xcb_flush) Flush = nullptr;
    bool Loaded = false;
};

const TXcb& Xcb() {
    static const TXcb xcb = [] {
        TXcb x;
        void* library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (!library) return x;
        bool all = true;
        auto bind = [&](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            all = all && function != nullptr;
        };
        bind(x.Connect, "xcb_connect");
        bind(x.HasError, "xcb_connection_has_error");
        bind(x.Disconnect, "xcb_disconnect");
        bind(x.GetSetup, "xcb_get_setup");
        bind(x.RootsIterator, "xcb_setup_roots_iterator");
        bind(x.ScreenNext, "xcb_screen_next");
        bind(x.InternAtom, "xcb_intern_atom");
        bind(x.InternAtomReply, "xcb_intern_atom_reply");
        bind(x.GetProperty, "xcb_get_property");
        bind(x.GetPropertyReply, "xcb_get_property_reply");
        bind(x.PropertyValue, "xcb_get_property_value");
        bind(x.PropertyValueLength, "xcb_get_property_value_length");
        bind(x.QueryTree, "xcb_query_tree");
        bind(x.QueryTreeReply, "xcb_query_tree_reply");
        bind(x.TreeChildren, "xcb_query_tree_children");
        bind(x.TreeChildrenLength, "xcb_query_tree_children_length");
        bind(x.SendEvent, "xcb_send_event");
        bind(x.Flush, "xcb_flush");
        // The library stays loaded for the program's life: it is tiny and shared with Qt.
        x.Loaded = all;
        return x;
    }();
    return xcb;
}

struct TFree {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using TReply = std::unique_ptr<T, TFree>;

class TXConnection {
public:
    TXConnection() : FX(Xcb()) {
        if (!FX.Loaded) return;
        int screenNumber = 0;
        FConnection = FX.Connect(nullptr, &screenNumber);
        if (FX.HasError(FConnection)) return;
        xcb_screen_iterator_t screens = FX.RootsIterator(FX.GetSetup(FConnection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) FX.ScreenNext(&screens);
        if (screens.rem > 0) FRoot = screens.data->root;
    }
    ~TXConnection() {
        if (FConnection) FX.Disconnect(FConnection);
    }
    TXConnection(const TXConnection&) = delete;
    TXConnection& operator=(const TXConnection&) = delete;

    bool Usable() const { return FConnection && !FX.HasError(FConnection) && FRoot != 0; }

    xcb_atom_t Atom(const char* name) {
        TReply<xcb_intern_atom_reply_t> reply(FX.InternAtomReply(
            FConnection, FX.InternAtom(FConnection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    // The property's bytes; false when the window lacks it.
    bool Property(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::string& value) {
        TReply<xcb_get_property_reply_t> reply(
            FX.GetPropertyReply(FConnection, FX.GetProperty(FConnection, 0, window, property, type, 0, 1 << 16), nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE) return false;
        const int length = FX.PropertyValueLength(reply.get());
        const char* bytes = static_cast<const char*>(FX.PropertyValue(reply.get()));
        const int unit = reply->format / 8;
        value.assign(bytes, bytes + static_cast<size_t>(length) * (unit > 0 ? unit : 1));
        return true;
    }

    // The managed top-level windows (EWMH), else the root's children.
    std::vector<xcb_window_t> TopLevel(bool& managed) {
        std::vector<xcb_window_t> windows;
        std::string list;
        managed = Property(FRoot, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, list);
        if (managed) {
            windows.resize(list.size() / sizeof(xcb_window_t));
            std::memcpy(windows.data(), list.data(), windows.size() * sizeof(xcb_window_t));
            return windows;
        }
        TReply<xcb_query_tree_reply_t> tree(FX.QueryTreeReply(FConnection, FX.QueryTree(FConnection, FRoot), nullptr));
        if (!tree) return windows;
        const xcb_window_t* children = FX.TreeChildren(tree.get());
        windows.assign(children, children + FX.TreeChildrenLength(tree.get()));
        return windows;
    }

    std::string Title(xcb_window_t window) {
        std::string title;
        if (Property(window, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), title)) return title;
        Property(window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
        return title;
    }

    // With a window manager the request goes through it (_NET_CLOSE_WINDOW);
    // without one the window itself gets WM_DELETE_WINDOW.
    void AskToClose(xcb_window_t window, bool managed) {
        xcb_client_message_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        if (managed) {
            event.type = Atom("_NET_CLOSE_WINDOW");
            event.data.data32[0] = XCB_CURRENT_TIME;
            event.data.data32[1] = 2;  // from a pager or tool, not the application itself
            FX.SendEvent(FConnection, 0, FRoot,
                         XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                         reinterpret_cast<const char*>(&event));
        } else {
            event.type = Atom("WM_PROTOCOLS");
            event.data.data32[0] = Atom("WM_DELETE_WINDOW");
            event.data.data32[1] = XCB_CURRENT_TIME;
            FX.SendEvent(FConnection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        }
        FX.Flush(FConnection);
    }

private:
    const TXcb& FX;
    xcb_connection_t* FConnection = nullptr;
    xcb_window_t FRoot = 0;
};

} // namespace

TCloseWindowResult CloseTopLevelWindow(const std::string& title) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return TCloseWindowResult::cwUnsupported;
    TXConnection x;
    if (!x.Usable()) return TCloseWindowResult::cwUnsupported;
    bool managed = false;
    bool asked = false;
    for (xcb_window_t window : x.TopLevel(managed)) {
        if (x.Title(window) != title) continue;
        x.AskToClose(window, managed);
        asked = true;
    }
    return asked ? TCloseWindowResult::cwAsked : TCloseWindowResult::cwNotFound;
}

} // namespace vorlin
