#include "links/ServerRoots.h"

#include <gtest/gtest.h>

using namespace vorlin;

TEST(ServerRoots, SchemesHostsAndTheSameServerAcrossHttpAndHttps) {
    EXPECT_EQ(HttpSchemeOf("HTTPS://h/x"), "https");
    EXPECT_EQ(HttpSchemeOf("http://h/"), "http");
    EXPECT_EQ(HttpSchemeOf("ftp://h/"), "");
    EXPECT_EQ(HttpSchemeOf("https:/h"), "");
    EXPECT_EQ(HostOfRoot("https://user:pw@h.example.org:8443/"), "h.example.org");

    EXPECT_TRUE(SameServer("http://h/", "http://h/"));
    EXPECT_TRUE(SameServer("http://h/", "https://h/"));
    EXPECT_TRUE(SameServer("https://h:8443/", "http://h/"));
    EXPECT_FALSE(SameServer("http://h:8080/", "http://h/"));  // same scheme: the port tells servers apart
    EXPECT_FALSE(SameServer("http://h/", "https://g/"));
    EXPECT_FALSE(SameServer("mailto:h", "http://h/"));

    EXPECT_TRUE(SameDomain("https://a.example.org/", "http://www.example.org/", "example.org"));
    EXPECT_TRUE(SameDomain("https://a.example.org:8443/", "http://www.example.org:8080/", "example.org:8080"));
    EXPECT_FALSE(SameDomain("http://a.example.org:9090/", "http://www.example.org:8080/", "example.org:8080"));
    EXPECT_FALSE(SameDomain("https://a.example.net/", "http://www.example.org/", "example.org"));
}
