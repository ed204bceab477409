#include "project/PasswordScrambler.h"

#include "platform/Base64.h"
#include "platform/Exception.h"

#include <nettle/blowfish.h>
#include <nettle/sha1.h>

#include <cstdint>
#include <cstring>

namespace vorlin {

namespace {

// The key constant, the GUID {6F2B1C3E-9A4D-4E87-B5C1-3D8E0F72A946} in its
// binary layout (first group a 32-bit little-endian number, second and third
// 16-bit little-endian, then eight bytes in order). Every stored password was
// scrambled under it: files written with one constant can't be read with
// another, so it must never change.
constexpr uint8_t kKeyConstant[16] = {
    0x3E, 0x1C, 0x2B, 0x6F,  // 6F2B1C3E
    0x4D, 0x9A,              // 9A4D
    0x87, 0x4E,              // 4E87
    0xB5, 0xC1, 0x3D, 0x8E, 0x0F, 0x72, 0xA9, 0x46,
};

// Blowfish keyed as the scrambling defines it: a 32-byte buffer of 0xFF
// holding the SHA-1 digest of the constant, used with a key length of 32
// bits, so the key is the digest's first four bytes.
class TScrambleCipher {
public:
    TScrambleCipher() {
        uint8_t buffer[32];
        std::memset(buffer, 0xFF, sizeof buffer);
        sha1_ctx sha;
        sha1_init(&sha);
        sha1_update(&sha, sizeof kKeyConstant, kKeyConstant);
        sha1_digest(&sha, SHA1_DIGEST_SIZE, buffer);
        // The Blowfish key schedule cycles through the key bytes, so four
        // bytes repeated twice schedule exactly as the four bytes alone do;
        // nettle wants at least eight.
        uint8_t key[8];
        std::memcpy(key, buffer, 4);
        std::memcpy(key + 4, buffer, 4);
        if (!blowfish_set_key(&FContext, sizeof key, key))
            throw Exception("Blowfish: Not initialized");
        std::memset(FInitialVector, 0xFF, sizeof FInitialVector);
        blowfish_encrypt(&FContext, BLOWFISH_BLOCK_SIZE, FInitialVector, FInitialVector);
    }

    // 8-bit cipher feedback: each byte is combined with the first byte of
    // the encrypted shift register, which then takes the cipher byte in.
    std::string Run(const std::string& data, bool encrypt) const {
        uint8_t reg[BLOWFISH_BLOCK_SIZE];
        std::memcpy(reg, FInitialVector, sizeof reg);
        std::string out(data.size(), '\0');
        for (size_t i = 0; i < data.size(); ++i) {
            uint8_t block[BLOWFISH_BLOCK_SIZE];
            blowfish_encrypt(&FContext, BLOWFISH_BLOCK_SIZE, block, reg);
            uint8_t in = static_cast<uint8_t>(data[i]);
            uint8_t result = in ^ block[0];
            uint8_t cipherByte = encrypt ? result : in;
            std::memmove(reg, reg + 1, sizeof reg - 1);
            reg[sizeof reg - 1] = cipherByte;
            out[i] = static_cast<char>(result);
        }
        return out;
    }

private:
    blowfish_ctx FContext;
    uint8_t FInitialVector[BLOWFISH_BLOCK_SIZE];
};

const TScrambleCipher& Cipher() {
    static const TScrambleCipher cipher;
    return cipher;
}

} // namespace

std::string ScramblePassword(const std::string& clear) {
    if (clear.empty()) return std::string();
    return EncodeBase64(Cipher().Run(clear, true));
}

std::string UnscramblePassword(const std::string& text) {
    if (text.empty()) return std::string();
    return Cipher().Run(DecodeBase64(text), false);
}

} // namespace vorlin
