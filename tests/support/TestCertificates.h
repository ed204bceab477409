// Certificates made while the tests run, never taken from the system: a
// private authority, server certificates it issues for given hosts and
// validity (an expired one, one for another host), and self-signed ones.
// Keys are P-256, so making them costs next to nothing.
#pragma once

#include <string>
#include <vector>

namespace vorlin::test {

struct TTestCertificate {
    std::string CertificatePem;
    std::string KeyPem;
};

class TTestAuthority {
public:
    TTestAuthority();
    ~TTestAuthority();
    TTestAuthority(const TTestAuthority&) = delete;
    TTestAuthority& operator=(const TTestAuthority&) = delete;

    const std::string& CertificatePem() const { return FSelf.CertificatePem; }
    // A server certificate for hosts (names, or addresses such as
    // "127.0.0.1"), valid from notBeforeDays to notAfterDays from now.
    TTestCertificate Issue(const std::vector<std::string>& hosts, int notBeforeDays = -1, int notAfterDays = 30) const;

private:
    TTestCertificate FSelf;
    void* FKey = nullptr;   // EVP_PKEY
    void* FCert = nullptr;  // X509
};

// A certificate that signs itself, for hosts.
TTestCertificate SelfSignedCertificate(const std::vector<std::string>& hosts);

// Writes text into dir/name (dir created); answers the path.
std::string WriteTestFile(const std::string& dir, const std::string& name, const std::string& text);

} // namespace vorlin::test
