// The emulator's certificate authority: a chain a TLS client accepts for the loopback names, kept across
// runs, private keys kept private, damaged files made again.
#include "movra-backend/CertificateAuthority.h"
#include "support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace movra::backend {
namespace {

namespace fs = std::filesystem;

X509* readCertificate(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return nullptr;
    X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    return cert;
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
    X509* server = readCertificate(ca.serverCertificatePath());
    ASSERT_TRUE(server);
    EXPECT_EQ(X509_check_host(server, "localhost", 0, 0, nullptr), 1);
    EXPECT_EQ(X509_check_ip_asc(server, "::1", 0), 1);
    EXPECT_NE(X509_check_host(server, "example.com", 0, 0, nullptr), 1);
    X509_free(server);
}

TEST_F(CertificateAuthorityTest, SecondLoadReusesTheFilesAndKeepsKeysPrivate) {
    CertificateAuthority first = create();
    std::map<std::string, std::string> before;
    for (const char* name : {"ca.pem", "ca-key.pem", "server.pem", "server-key.pem"}) before[name] = read(name);

    CertificateAuthority second = create();
    EXPECT_EQ(second.caCertificatePath(), first.caCertificatePath());
    for (const auto& [name, contents] : before) EXPECT_EQ(read(name), contents) << name;
    const fs::path folder = root_.file(kFolder);
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(folder / "ca-key.pem"), 0600u);
    EXPECT_EQ(modeOf(folder / "server-key.pem"), 0600u);
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_TRUE(before.count(entry.path().filename().string())) << "left behind: " << entry.path();
}

}  // namespace
}  // namespace movra::backend
