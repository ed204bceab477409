#include "tests/support/TestCertificates.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace vorlin::test {

namespace {

std::atomic<long> gSerial{1000};

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

EVP_PKEY* NewKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    Check(key != nullptr, "key");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    Check(ext != nullptr, "extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

std::string AltNames(const std::vector<std::string>& hosts) {
    std::string names;
    for (const std::string& host : hosts) {
        unsigned char buffer[16];
        bool address = inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
        names += (names.empty() ? "" : ",") + std::string(address ? "IP:" : "DNS:") + host;
    }
    return names;
}

// A certificate for key, named cn, signed by issuerKey (itself when no
// issuer is given).
X509* MakeCertificate(EVP_PKEY* key, const std::string& cn, X509* issuer, EVP_PKEY* issuerKey, bool authority,
                      const std::vector<std::string>& hosts, int notBeforeDays, int notAfterDays) {
    X509* cert = X509_new();
    Check(cert != nullptr, "certificate");
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), gSerial++);
    X509_gmtime_adj(X509_getm_notBefore(cert), static_cast<long>(notBeforeDays) * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), static_cast<long>(notAfterDays) * 86400);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Vorlin tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert;
    AddExtension(cert, signer, NID_subject_key_identifier, "hash");
    AddExtension(cert, signer, NID_authority_key_identifier, "keyid:always");
    if (authority) {
        AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(cert, signer, NID_basic_constraints, "CA:FALSE");
        AddExtension(cert, signer, NID_ext_key_usage, "serverAuth");
        if (!hosts.empty()) AddExtension(cert, signer, NID_subject_alt_name, AltNames(hosts));
    }
    Check(X509_sign(cert, issuerKey, EVP_sha256()) > 0, "signature");
    return cert;
}

std::string PemOf(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    long len = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<size_t>(len));
    BIO_free(bio);
    return text;
}

std::string PemOf(EVP_PKEY* key) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    long len = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<size_t>(len));
    BIO_free(bio);
    return text;
}

} // namespace

TTestAuthority::TTestAuthority() {
    EVP_PKEY* key = NewKey();
    X509* cert = MakeCertificate(key, "Vorlin test authority", nullptr, key, true, {}, -1, 3650);
    FSelf = {PemOf(cert), PemOf(key)};
    FKey = key;
    FCert = cert;
}

TTestAuthority::~TTestAuthority() {
    X509_free(static_cast<X509*>(FCert));
    EVP_PKEY_free(static_cast<EVP_PKEY*>(FKey));
}

TTestCertificate TTestAuthority::Issue(const std::vector<std::string>& hosts, int notBeforeDays, int notAfterDays) const {
    EVP_PKEY* key = NewKey();
    X509* cert = MakeCertificate(key, hosts.empty() ? "server" : hosts.front(), static_cast<X509*>(FCert),
                                 static_cast<EVP_PKEY*>(FKey), false, hosts, notBeforeDays, notAfterDays);
    TTestCertificate result{PemOf(cert), PemOf(key)};
    X509_free(cert);
    EVP_PKEY_free(key);
    return result;
}

TTestCertificate SelfSignedCertificate(const std::vector<std::string>& hosts) {
    EVP_PKEY* key = NewKey();
    X509* cert = MakeCertificate(key, hosts.empty() ? "server" : hosts.front(), nullptr, key, false, hosts, -1, 30);
    TTestCertificate result{PemOf(cert), PemOf(key)};
    X509_free(cert);
    EVP_PKEY_free(key);
    return result;
}

std::string WriteTestFile(const std::string& dir, const std::string& name, const std::string& text) {
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
}

} // namespace vorlin::test
