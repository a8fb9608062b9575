// This file implements the emulator's local certificate authority: EC P-256 keys, a self-signed CA limited
// to the loopback names and a server certificate for them, kept as PEM files that are replaced atomically.
#include "movra-backend/CertificateAuthority.h"

#include "Foundation/Crypto.h"
#include "Platform/AtomicFile.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string_view>

namespace movra::backend {

namespace {

template <auto Fn>
struct Free {
    template <class T>
    void operator()(T* p) const {
        Fn(p);
    }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Free<EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Free<X509_free>>;
using BioPtr = std::unique_ptr<BIO, Free<BIO_free_all>>;
using ExtPtr = std::unique_ptr<X509_EXTENSION, Free<X509_EXTENSION_free>>;
using BnPtr = std::unique_ptr<BIGNUM, Free<BN_free>>;

constexpr long kDay = 24L * 60 * 60;
constexpr long kCaValidity = 10 * 365 * kDay;
constexpr long kServerValidity = 2 * 365 * kDay;
// A certificate this close to expiry is replaced rather than served.
constexpr long kRenewalMargin = 30 * kDay;

CertPtr readCertificate(const std::string& path) {
    BioPtr bio(BIO_new_file(path.c_str(), "r"));
    CertPtr cert(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return cert;
}

KeyPtr readKey(const std::string& path) {
    BioPtr bio(BIO_new_file(path.c_str(), "r"));
    KeyPtr key(bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return key;
}

/// True while `cert` is valid now and for the renewal margin to come.
bool isCurrent(X509* cert) {
    std::time_t now = std::time(nullptr);
    std::time_t soon = now + kRenewalMargin;
    return X509_cmp_time(X509_get0_notBefore(cert), &now) < 0 && X509_cmp_time(X509_get0_notAfter(cert), &soon) > 0;
}

std::string pemOf(X509* cert) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert) != 1) return {};
    char* data = nullptr;
    long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::string pemOf(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) return {};
    char* data = nullptr;
    long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

ExtPtr makeExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    return ExtPtr(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value));
}

bool addExtension(X509* cert, X509* issuer, int nid, const char* value) {
    ExtPtr ext = makeExtension(cert, issuer, nid, value);
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

// The CA may vouch for the loopback names only, so that its key, which sits in a demo's data directory,
// cannot be used to impersonate a real host to a client that trusts the CA.
constexpr const char* kLoopbackOnly =
    "critical,permitted;IP:127.0.0.1/255.255.255.255,permitted;IP:::1/ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff,"
    "permitted;DNS:localhost";

/// True when `ca` carries exactly the loopback name constraints, marked critical; a CA of an earlier
/// version without them is replaced.
bool isLoopbackOnly(X509* ca) {
    const int index = X509_get_ext_by_NID(ca, NID_name_constraints, -1);
    X509_EXTENSION* present = index < 0 ? nullptr : X509_get_ext(ca, index);
    ExtPtr wanted = makeExtension(ca, ca, NID_name_constraints, kLoopbackOnly);
    return present && wanted && X509_EXTENSION_get_critical(present) == 1 &&
           ASN1_OCTET_STRING_cmp(X509_EXTENSION_get_data(present), X509_EXTENSION_get_data(wanted.get())) == 0;
}

/// A certificate for `key` named `commonName`, signed by `issuerKey` (self-signed when `issuer` is null).
CertPtr makeCertificate(EVP_PKEY* key, const char* commonName, long validitySeconds, X509* issuer, EVP_PKEY* issuerKey,
                        const std::initializer_list<std::pair<int, const char*>>& extensions) {
    CertPtr cert(X509_new());
    BnPtr serial(BN_new());
    if (!cert || !serial || X509_set_version(cert.get(), X509_VERSION_3) != 1) return nullptr;
    // Random serials keep browsers from rejecting a re-issued certificate as a duplicate.
    if (BN_rand(serial.get(), 127, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1 ||
        !BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(cert.get())))
        return nullptr;
    // Backdated an hour so that a client clock slightly behind still accepts it.
    if (!X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60 * 60) ||
        !X509_gmtime_adj(X509_getm_notAfter(cert.get()), validitySeconds))
        return nullptr;
    X509_NAME* name = X509_get_subject_name(cert.get());
    const auto* cn = reinterpret_cast<const unsigned char*>(commonName);
    const auto* org = reinterpret_cast<const unsigned char*>("Movra Backend");
    if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, org, -1, -1, 0) != 1 ||
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, cn, -1, -1, 0) != 1)
        return nullptr;
    X509* signer = issuer ? issuer : cert.get();
    if (X509_set_issuer_name(cert.get(), X509_get_subject_name(signer)) != 1 || X509_set_pubkey(cert.get(), key) != 1)
        return nullptr;
    for (const auto& [nid, value] : extensions)
        if (!addExtension(cert.get(), signer, nid, value)) return nullptr;
    if (X509_sign(cert.get(), issuerKey, EVP_sha256()) <= 0) return nullptr;
    return cert;
}

CertPtr makeCaCertificate(EVP_PKEY* key) {
    return makeCertificate(key, "Movra Backend Local CA", kCaValidity, nullptr, key,
                           {{NID_basic_constraints, "critical,CA:TRUE"},
                            {NID_key_usage, "critical,keyCertSign,cRLSign"},
                            {NID_name_constraints, kLoopbackOnly},
                            {NID_subject_key_identifier, "hash"},
                            {NID_authority_key_identifier, "keyid:always"}});
}

CertPtr makeServerCertificate(EVP_PKEY* key, X509* ca, EVP_PKEY* caKey) {
    return makeCertificate(key, "localhost", kServerValidity, ca, caKey,
                           {{NID_basic_constraints, "critical,CA:FALSE"},
                            {NID_key_usage, "critical,digitalSignature"},
                            {NID_ext_key_usage, "serverAuth"},
                            {NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1,IP:::1"},
                            {NID_subject_key_identifier, "hash"},
                            {NID_authority_key_identifier, "keyid:always"}});
}

/// The DRM application certificate, made once and kept; false with `error` set when it cannot be written.
bool makeApplicationCertificate(const std::string& path, std::string* error) {
    const auto existing = AtomicFile::read(path).contents;
    if (existing) {
        const auto* der = reinterpret_cast<const unsigned char*>(existing->data());
        CertPtr cert(d2i_X509(nullptr, &der, static_cast<long>(existing->size())));
        ERR_clear_error();
        if (cert) return true;
    }
    KeyPtr key(EVP_EC_gen("P-256"));
    CertPtr cert = key ? makeCertificate(key.get(), "Movra FairPlay Streaming application", kCaValidity, nullptr,
                                         key.get(), {{NID_basic_constraints, "critical,CA:FALSE"}})
                       : nullptr;
    unsigned char* der = nullptr;
    const int length = cert ? i2d_X509(cert.get(), &der) : -1;
    if (length <= 0) {
        *error = openSslError("cannot create the application certificate");
        return false;
    }
    const std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);
    if (ErrorPtr failure = AtomicFile::write(path, bytes)) {
        *error = failure->localizedDescription;
        return false;
    }
    return true;
}

/// Writes the key first: a crash between the two writes leaves a pair that fails the match check on the
/// next start and is made again.
bool writePair(X509* cert, EVP_PKEY* key, const std::string& certPath, const std::string& keyPath, std::string* error) {
    std::string certPem = pemOf(cert), keyPem = pemOf(key);
    if (certPem.empty() || keyPem.empty()) {
        *error = openSslError("cannot encode certificate");
        return false;
    }
    for (const auto& [path, pem] : {std::pair{&keyPath, &keyPem}, std::pair{&certPath, &certPem}}) {
        if (ErrorPtr failure = AtomicFile::write(*path, *pem)) {
            *error = failure->localizedDescription;
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<CertificateAuthority> CertificateAuthority::loadOrCreate(const std::string& directory,
                                                                       std::string* error) {
    std::string ignored;
    if (!error) error = &ignored;
    if (ErrorPtr failure = AtomicFile::makePrivateDirectory(directory)) {
        *error = failure->localizedDescription;
        return std::nullopt;
    }

    CertificateAuthority ca;
    const std::filesystem::path dir(directory);
    ca.caCert_ = (dir / "ca.pem").string();
    ca.caKey_ = (dir / "ca-key.pem").string();
    ca.serverCert_ = (dir / "server.pem").string();
    ca.serverKey_ = (dir / "server-key.pem").string();
    ca.applicationCert_ = (dir / "application.der").string();
    if (!makeApplicationCertificate(ca.applicationCert_, error)) return std::nullopt;

    CertPtr caCert = readCertificate(ca.caCert_);
    KeyPtr caKey = readKey(ca.caKey_);
    bool caUsable = caCert && caKey && X509_check_private_key(caCert.get(), caKey.get()) == 1 &&
                    X509_check_ca(caCert.get()) == 1 && isCurrent(caCert.get()) && isLoopbackOnly(caCert.get());
    ERR_clear_error();
    if (!caUsable) {
        caKey.reset(EVP_EC_gen("P-256"));
        caCert = caKey ? makeCaCertificate(caKey.get()) : nullptr;
        if (!caCert) {
            *error = openSslError("cannot create the CA certificate");
            return std::nullopt;
        }
        if (!writePair(caCert.get(), caKey.get(), ca.caCert_, ca.caKey_, error)) return std::nullopt;
    }

    CertPtr serverCert = readCertificate(ca.serverCert_);
    KeyPtr serverKey = readKey(ca.serverKey_);
    bool serverUsable = caUsable && serverCert && serverKey &&
                        X509_check_private_key(serverCert.get(), serverKey.get()) == 1 &&
                        X509_verify(serverCert.get(), caKey.get()) == 1 && isCurrent(serverCert.get());
    ERR_clear_error();
    if (!serverUsable) {
        serverKey.reset(EVP_EC_gen("P-256"));
        serverCert = serverKey ? makeServerCertificate(serverKey.get(), caCert.get(), caKey.get()) : nullptr;
        if (!serverCert) {
            *error = openSslError("cannot create the server certificate");
            return std::nullopt;
        }
        if (!writePair(serverCert.get(), serverKey.get(), ca.serverCert_, ca.serverKey_, error)) return std::nullopt;
    }

    ca.castReceiverCert_ = (dir / "cast-receiver.pem").string();
    ca.castReceiverKey_ = (dir / "cast-receiver-key.pem").string();
    CertPtr receiverCert = readCertificate(ca.castReceiverCert_);
    KeyPtr receiverKey = readKey(ca.castReceiverKey_);
    const bool receiverUsable = receiverCert && receiverKey &&
                                X509_check_private_key(receiverCert.get(), receiverKey.get()) == 1 &&
                                isCurrent(receiverCert.get());
    ERR_clear_error();
    if (!receiverUsable) {
        receiverKey.reset(EVP_EC_gen("P-256"));
        receiverCert = receiverKey ? makeCertificate(receiverKey.get(), "Movra Cast Receiver", kServerValidity, nullptr,
                                                     receiverKey.get(), {{NID_basic_constraints, "critical,CA:FALSE"}})
                                   : nullptr;
        if (!receiverCert) {
            *error = openSslError("cannot create the cast receiver certificate");
            return std::nullopt;
        }
        if (!writePair(receiverCert.get(), receiverKey.get(), ca.castReceiverCert_, ca.castReceiverKey_, error))
            return std::nullopt;
    }
    return ca;
}

}  // namespace movra::backend
