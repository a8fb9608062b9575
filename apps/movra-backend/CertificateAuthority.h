// CertificateAuthority: the emulator's own TLS trust. On first use it creates, in a directory, a CA
// (ca.pem, ca-key.pem) and a server certificate signed by it (server.pem, server-key.pem) valid for
// "localhost", 127.0.0.1 and ::1; later uses load the same files. The CA's critical name constraints
// permit only those names, so a verifier refuses anything else it signs. Clients trust the emulator by
// adding ca.pem as an extra CA file. Beside them lies the DRM application certificate (application.der, a
// self-signed DER certificate) whose digest key requests must carry, and the emulated cast receiver's
// certificate (cast-receiver.pem, cast-receiver-key.pem), self-signed as real receivers' are.
#pragma once

#include <optional>
#include <string>

namespace movra::backend {

class CertificateAuthority {
  public:
    /// Loads the files from `directory` (created with mode 0700 when missing), creating any that are
    /// missing or unreadable; a CA without the loopback name constraints is made again, and with it the
    /// server certificate. nullopt with `error` set when that fails.
    static std::optional<CertificateAuthority> loadOrCreate(const std::string& directory, std::string* error);

    const std::string& caCertificatePath() const { return caCert_; }
    const std::string& serverCertificatePath() const { return serverCert_; }
    const std::string& serverKeyPath() const { return serverKey_; }
    const std::string& applicationCertificatePath() const { return applicationCert_; }
    const std::string& castReceiverCertificatePath() const { return castReceiverCert_; }
    const std::string& castReceiverKeyPath() const { return castReceiverKey_; }

  private:
    std::string caCert_, caKey_, serverCert_, serverKey_, applicationCert_, castReceiverCert_, castReceiverKey_;
};

}  // namespace movra::backend
