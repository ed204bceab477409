// Detached Ed25519 signatures of update files. The makers sign the update
// description and the package with their private key; the program holds
// the public key in "update-key.pub" beside itself and checks both files
// before it uses them. Keys and signatures are stored as hexadecimal text
// (64 and 128 digits, one line) so they travel through mail and web forms.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlin::updater {

constexpr const char* kPublicKeyFile = "update-key.pub";
constexpr const char* kSignatureSuffix = ".sig";

using TPublicKey = std::array<uint8_t, 32>;
using TPrivateKey = std::array<uint8_t, 32>;
using TSignature = std::array<uint8_t, 64>;

struct TKeyPair {
    TPublicKey Public{};
    TPrivateKey Private{};
};

// A fresh key pair from the system's random source.
TKeyPair GenerateKeyPair();
TPublicKey PublicKeyOf(const TPrivateKey& key);
TSignature Sign(const TKeyPair& keys, std::string_view message);
bool Verify(const TPublicKey& key, std::string_view message, const TSignature& signature);

std::string ToHex(const uint8_t* data, size_t size);
// Parses exactly size bytes of hexadecimal text (blanks around allowed);
// false when the text is anything else.
bool FromHex(std::string_view text, uint8_t* data, size_t size);

// Reads a key file; throws ESignatureError naming the file when it is
// missing or not a key.
TPublicKey LoadPublicKey(const std::string& path);
TPrivateKey LoadPrivateKey(const std::string& path);

// Checks message against the detached signature in signaturePath with the
// key in keyPath. Throws ESignatureError with a message for the user that
// names what is wrong (no key installed, no signature, a bad signature).
void VerifyDetached(std::string_view message, const std::string& signaturePath, const std::string& keyPath,
                    const std::string& what);

} // namespace vorlin::updater
