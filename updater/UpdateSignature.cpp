#include "updater/UpdateSignature.h"

#include "updater/UpdateErrors.h"

#include <fstream>
#include <nettle/eddsa.h>
#include <sstream>
#include <sys/random.h>

namespace vorlin::updater {

namespace {

// Key and signature files are one short line; anything bigger is not one.
constexpr std::streamsize kMaxKeyFileSize = 1024;

bool ReadSmallFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(kMaxKeyFileSize + 1, '\0');
    in.read(text.data(), kMaxKeyFileSize + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    return text.size() <= static_cast<size_t>(kMaxKeyFileSize);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <size_t N>
std::array<uint8_t, N> LoadHexFile(const std::string& path, const char* what) {
    std::string text;
    if (!ReadSmallFile(path, text)) throw ESignatureError(std::string("No ") + what + " in " + path);
    std::array<uint8_t, N> value{};
    if (!FromHex(text, value.data(), N)) throw ESignatureError(std::string("Not a valid ") + what + ": " + path);
    return value;
}

} // namespace

TKeyPair GenerateKeyPair() {
    TKeyPair keys;
    size_t filled = 0;
    while (filled < keys.Private.size()) {
        const ssize_t got = getrandom(keys.Private.data() + filled, keys.Private.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw EUpdateError("The system's random source failed");
        }
        filled += static_cast<size_t>(got);
    }
    keys.Public = PublicKeyOf(keys.Private);
    return keys;
}

TPublicKey PublicKeyOf(const TPrivateKey& key) {
    TPublicKey pub{};
    ed25519_sha512_public_key(pub.data(), key.data());
    return pub;
}

TSignature Sign(const TKeyPair& keys, std::string_view message) {
    TSignature signature{};
    ed25519_sha512_sign(keys.Public.data(), keys.Private.data(), message.size(),
                        reinterpret_cast<const uint8_t*>(message.data()), signature.data());
    return signature;
}

bool Verify(const TPublicKey& key, std::string_view message, const TSignature& signature) {
    return ed25519_sha512_verify(key.data(), message.size(), reinterpret_cast<const uint8_t*>(message.data()),
                                 signature.data()) == 1;
}

std::string ToHex(const uint8_t* data, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}

bool FromHex(std::string_view text, uint8_t* data, size_t size) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (text.size() != size * 2) return false;
    for (size_t i = 0; i < size; ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        data[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return true;
}

TPublicKey LoadPublicKey(const std::string& path) { return LoadHexFile<32>(path, "public update key"); }

TPrivateKey LoadPrivateKey(const std::string& path) { return LoadHexFile<32>(path, "private update key"); }

void VerifyDetached(std::string_view message, const std::string& signaturePath, const std::string& keyPath,
                    const std::string& what) {
    std::string text;
    if (!ReadSmallFile(keyPath, text))
        throw ESignatureError("The update key is not installed (" + keyPath + "); " + what + " can't be checked");
    const TPublicKey key = LoadPublicKey(keyPath);
    if (!ReadSmallFile(signaturePath, text)) throw ESignatureError(what + " is not signed (no " + signaturePath + ")");
    TSignature signature{};
    if (!FromHex(text, signature.data(), signature.size()))
        throw ESignatureError("The signature of " + what + " is damaged (" + signaturePath + ")");
    if (!Verify(key, message, signature))
        throw ESignatureError("The signature of " + what + " does not match the makers' key: it was changed or "
                              "signed by someone else");
}

} // namespace vorlin::updater
