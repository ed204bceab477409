#include "project/PasswordScrambler.h"

#include "platform/Base64.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(PasswordScrambler, RoundTripsPasswordsOfEveryLength) {
    std::string all;
    for (int i = 0; i < 200; ++i) all += static_cast<char>(i * 7 + 3);
    for (const std::string& clear : {std::string(), std::string("x"), std::string("1234567"),
                                     std::string("12345678"), std::string("123456789"), all,
                                     std::string("\0\xff\x80", 3)}) {
        std::string text = ScramblePassword(clear);
        EXPECT_EQ(text.size() % 4, 0u);
        EXPECT_EQ(DecodeBase64(text).size(), clear.size());
        EXPECT_EQ(UnscramblePassword(text), clear);
    }
    EXPECT_EQ(ScramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword(""), "");
}

// Cipher texts worked out independently (openssl Blowfish under the SHA-1
// derived key, cipher feedback done byte by byte): a change of the key
// constant or of the mode breaks every password already stored.
TEST(PasswordScrambler, KeepsTheStoredFormOfPasswords) {
    EXPECT_EQ(ScramblePassword("secret"), "+HLS40Qs");
    EXPECT_EQ(ScramblePassword("a"), "6g==");
    EXPECT_EQ(ScramblePassword("passwort123"), "+6BgAwMD94Okx/k=");
    EXPECT_EQ(UnscramblePassword("+6BgAwMD94Okx/k="), "passwort123");
}

TEST(PasswordScrambler, RejectsTextThatIsNotBase64) {
    try {
        UnscramblePassword("abc");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Base64: Incorrect string format");
    }
    EXPECT_THROW(UnscramblePassword("ab!="), Exception);
}
