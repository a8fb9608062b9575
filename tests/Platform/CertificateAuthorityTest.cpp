// The emulator's certificate authority: a chain a TLS client accepts for the loopback names, kept across
// runs, private keys kept private, and a CA that vouches for nothing else.
#include "movra-backend/CertificateAuthority.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace movra::backend {
namespace {

namespace fs = std::filesystem;

using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;
using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

CertPtr readCertificate(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    X509* cert = file ? PEM_read_X509(file, nullptr, nullptr, nullptr) : nullptr;
    if (file) std::fclose(file);
    return CertPtr(cert, X509_free);
}

KeyPtr readKey(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    EVP_PKEY* key = file ? PEM_read_PrivateKey(file, nullptr, nullptr, nullptr) : nullptr;
    if (file) std::fclose(file);
    return KeyPtr(key, EVP_PKEY_free);
}

/// A certificate for `key` named `commonName`, signed by `issuerKey` (self-signed without `issuer`), as
/// someone holding that key could make one.
CertPtr issue(const char* commonName, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey,
              const std::vector<std::pair<int, const char*>>& extensions) {
    CertPtr cert(X509_new(), X509_free);
    X509_set_version(cert.get(), X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 2);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 365L * 24 * 60 * 60);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(cert.get()), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer ? issuer : cert.get();
    X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
    X509_set_pubkey(cert.get(), key);
    for (const auto& [nid, value] : extensions) {
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, signer, cert.get(), nullptr, nullptr, 0);
        X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
        X509_add_ext(cert.get(), ext, -1);
        X509_EXTENSION_free(ext);
    }
    X509_sign(cert.get(), issuerKey, EVP_sha256());
    return cert;
}

/// OpenSSL's verdict on `leaf` with `ca` as the only trusted certificate (X509_V_OK when it verifies).
int verify(X509* leaf, X509* ca) {
    X509_STORE* store = X509_STORE_new();
    X509_STORE_add_cert(store, ca);
    X509_STORE_CTX* ctx = X509_STORE_CTX_new();
    X509_STORE_CTX_init(ctx, store, leaf, nullptr);
    const int verified = X509_verify_cert(ctx);
    const int error = X509_STORE_CTX_get_error(ctx);
    X509_STORE_CTX_free(ctx);
    X509_STORE_free(store);
    return verified == 1 ? X509_V_OK : error;
}

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class CertificateAuthorityTest : public ::testing::Test {
  protected:
    CertificateAuthority create() {
        std::string error;
        auto ca = CertificateAuthority::loadOrCreate(root_.file(kFolder), &error);
        EXPECT_TRUE(ca) << error;
        return ca.value_or(CertificateAuthority{});
    }
    std::string read(const std::string& name) const { return root_.read(kFolder + "/" + name); }

    // Nested: the missing parents are created too.
    const std::string kFolder = "nested/tls";
    test::TemporaryDirectory root_;
};

// Every HTTPS test verifies the chain for 127.0.0.1; the other loopback names are checked here.
TEST_F(CertificateAuthorityTest, ServerCertificateNamesTheLoopbackHostsOnly) {
    CertificateAuthority ca = create();
    CertPtr server = readCertificate(ca.serverCertificatePath());
    ASSERT_TRUE(server);
    EXPECT_EQ(X509_check_host(server.get(), "localhost", 0, 0, nullptr), 1);
    EXPECT_EQ(X509_check_ip_asc(server.get(), "::1", 0), 1);
    EXPECT_NE(X509_check_host(server.get(), "example.com", 0, 0, nullptr), 1);
}

TEST_F(CertificateAuthorityTest, SecondLoadReusesTheFilesAndKeepsKeysPrivate) {
    CertificateAuthority first = create();
    std::map<std::string, std::string> before;
    for (const char* name : {"ca.pem", "ca-key.pem", "server.pem", "server-key.pem", "application.der",
                             "cast-receiver.pem", "cast-receiver-key.pem"})
        before[name] = read(name);

    CertificateAuthority second = create();
    EXPECT_EQ(second.caCertificatePath(), first.caCertificatePath());
    for (const auto& [name, contents] : before) EXPECT_EQ(read(name), contents) << name;
    const fs::path folder = root_.file(kFolder);
    EXPECT_EQ(modeOf(folder / "ca-key.pem"), 0600u);
    EXPECT_EQ(modeOf(folder / "server-key.pem"), 0600u);
    EXPECT_EQ(modeOf(folder / "cast-receiver-key.pem"), 0600u);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_TRUE(before.count(entry.path().filename().string())) << "left behind: " << entry.path();
}

// Key requests carry the digest of the DRM application certificate: it stays the same unless it is unreadable.
TEST_F(CertificateAuthorityTest, TheApplicationCertificateIsADerCertificateMadeAgainOnlyWhenDamaged) {
    CertificateAuthority first = create();
    const std::string der = read("application.der");
    const auto* bytes = reinterpret_cast<const unsigned char*>(der.data());
    CertPtr cert(d2i_X509(nullptr, &bytes, static_cast<long>(der.size())), X509_free);
    ASSERT_TRUE(cert);
    EXPECT_EQ(X509_check_issued(cert.get(), cert.get()), X509_V_OK);  // self-signed
    EXPECT_EQ(first.applicationCertificatePath(), root_.file(kFolder + "/application.der"));

    root_.write(kFolder + "/application.der", "not a certificate");
    create();
    const std::string remade = read("application.der");
    bytes = reinterpret_cast<const unsigned char*>(remade.data());
    EXPECT_TRUE(CertPtr(d2i_X509(nullptr, &bytes, static_cast<long>(remade.size())), X509_free));
    EXPECT_NE(remade, der);
}

// A leaked CA key must not be able to vouch for a real host to a client that trusts the CA.
TEST_F(CertificateAuthorityTest, CaVouchesForTheLoopbackNamesOnly) {
    CertificateAuthority ca = create();
    CertPtr caCert = readCertificate(ca.caCertificatePath());
    KeyPtr caKey = readKey(root_.file(kFolder + "/ca-key.pem"));
    ASSERT_TRUE(caCert && caKey);
    // Critical, so that a client that cannot apply the constraints refuses the CA rather than ignoring them.
    const int constraints = X509_get_ext_by_NID(caCert.get(), NID_name_constraints, -1);
    ASSERT_GE(constraints, 0);
    EXPECT_EQ(X509_EXTENSION_get_critical(X509_get_ext(caCert.get(), constraints)), 1);

    const std::pair<const char*, int> leaves[] = {
        {"DNS:localhost,IP:127.0.0.1", X509_V_OK},
        {"IP:::1", X509_V_OK},
        {"DNS:elsewhere.example", X509_V_ERR_PERMITTED_VIOLATION},
        {"IP:127.0.0.2", X509_V_ERR_PERMITTED_VIOLATION},
        {"IP:2001:db8::1", X509_V_ERR_PERMITTED_VIOLATION},
    };
    KeyPtr leafKey(EVP_EC_gen("P-256"), EVP_PKEY_free);
    for (const auto& [names, expected] : leaves) {
        CertPtr leaf = issue("leaf", leafKey.get(), caCert.get(), caKey.get(),
                             {{NID_basic_constraints, "critical,CA:FALSE"}, {NID_subject_alt_name, names}});
        EXPECT_EQ(verify(leaf.get(), caCert.get()), expected) << names;
    }
}

// A data directory of an earlier version holds a CA without the constraints; it must not stay in use.
TEST_F(CertificateAuthorityTest, UnconstrainedCaOnDiskIsReplaced) {
    create();
    KeyPtr oldKey = readKey(root_.file(kFolder + "/ca-key.pem"));
    // The key on disk, so that the CA passes every other check of a usable one.
    CertPtr unconstrained =
        issue("Movra Backend Local CA", oldKey.get(), nullptr, oldKey.get(),
              {{NID_basic_constraints, "critical,CA:TRUE"}, {NID_key_usage, "critical,keyCertSign,cRLSign"}});
    FILE* file = std::fopen(root_.file(kFolder + "/ca.pem").c_str(), "w");
    ASSERT_TRUE(file);
    PEM_write_X509(file, unconstrained.get());
    std::fclose(file);

    CertificateAuthority ca = create();
    CertPtr caCert = readCertificate(ca.caCertificatePath());
    ASSERT_TRUE(caCert);
    EXPECT_GE(X509_get_ext_by_NID(caCert.get(), NID_name_constraints, -1), 0);
    CertPtr server = readCertificate(ca.serverCertificatePath());
    ASSERT_TRUE(server);
    EXPECT_EQ(verify(server.get(), caCert.get()), X509_V_OK);
}

}  // namespace
}  // namespace movra::backend
