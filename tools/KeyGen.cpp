// vorlin-keygen: makes the key pair that signs updates. The private key
// stays with the makers (written readable by its owner only); the public
// key is installed beside the program as "update-key.pub".
#include "platform/FileSystem.h"
#include "platform/Stream.h"
#include "updater/UpdateSignature.h"

#include <cstdio>
#include <string>

using namespace vorlin;
using namespace vorlin::updater;

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PRIVATE-KEY-FILE PUBLIC-KEY-FILE\n"
                             "Makes an Ed25519 key pair for signing updates.\n", argv[0]);
        return 2;
    }
    const std::string privatePath = argv[1], publicPath = argv[2];
    if (FileExists(privatePath)) {
        std::fprintf(stderr, "%s exists already; a key is never overwritten\n", privatePath.c_str());
        return 1;
    }
    try {
        const TKeyPair keys = GenerateKeyPair();
        const std::string privateText = ToHex(keys.Private.data(), keys.Private.size()) + "\n";
        const std::string publicText = ToHex(keys.Public.data(), keys.Public.size()) + "\n";
        WriteFileAtomically(privatePath, [&](TFileStream& f) { f.WriteBuffer(privateText.data(), privateText.size()); },
                            kPrivateFileMode);
        WriteFileAtomically(publicPath, [&](TFileStream& f) { f.WriteBuffer(publicText.data(), publicText.size()); });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin-keygen: %s\n", e.what());
        return 1;
    }
    std::printf("private key: %s\npublic key:  %s (install it beside the program as \"%s\")\n", privatePath.c_str(),
                publicPath.c_str(), kPublicKeyFile);
    return 0;
}
