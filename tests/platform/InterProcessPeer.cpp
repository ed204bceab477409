// Another program for the inter-program tests: publishes a window and an
// atom in the directory it is given, reports on standard output what
// reaches the window, and ends when the window is asked to close.
//   InterProcessPeer DIR CLASS TITLE ATOM
// Prints "ready <window>" once published, then "message <n> <w> <l>",
// "copy <tag> <bytes>" and finally "closed".
#include "platform/InterProcess.h"
#include "platform/MessageQueue.h"
#include "platform/MessageTarget.h"

#include <cstdio>
#include <memory>
#include <string>

using namespace vorlin;

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    SetInterProcessDirectoryForTests(argv[1]);
    std::unique_ptr<TPublishedWindow> published;
    TMessageTarget target([&](TMsg& m) -> intptr_t {
        if (m.Message == WM_CLOSE) {
            std::printf("closed\n");
            published.reset();
            PostQuitMessage(0);
        } else if (m.Message == WM_COPYDATA) {
            TCopyData data = m.TakePayload<TCopyData>();
            std::printf("copy %lu %s\n", static_cast<unsigned long>(data.Tag),
                        std::string(data.Bytes.begin(), data.Bytes.end()).c_str());
        } else {
            std::printf("message %u %lu %ld\n", m.Message, static_cast<unsigned long>(m.WParam),
                        static_cast<long>(m.LParam));
        }
        std::fflush(stdout);
        return 0;
    });
    published = PublishWindow(argv[2], target.Handle(), argv[3]);
    if (!published || !AddGlobalAtom(argv[4])) return 1;
    std::printf("ready %llu %u\n", static_cast<unsigned long long>(published->Window()),
                RegisterWindowMessage("HWM_QUEUETASK"));
    std::fflush(stdout);
    TMsg msg;
    while (GetMessage(msg)) DispatchMessage(msg);
    return 0;
}
