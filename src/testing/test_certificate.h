// Self-signed certificates made at test time, for servers on loopback.
#ifndef EXTRATO_TESTING_TEST_CERTIFICATE_H_
#define EXTRATO_TESTING_TEST_CERTIFICATE_H_

#include <filesystem>
#include <string>

namespace testing_support {

struct CertificateFiles {
  std::filesystem::path certificate;  // PEM; also the authority a client trusts
  std::filesystem::path key;          // PEM, unencrypted
};

// Writes NAME.crt and NAME.key under `folder`: a certificate for 127.0.0.1 and
// localhost, signed by its own key. Throws std::runtime_error when OpenSSL fails.
CertificateFiles MakeSelfSignedCertificate(const std::filesystem::path& folder,
                                           const std::string& name);

}  // namespace testing_support

#endif  // EXTRATO_TESTING_TEST_CERTIFICATE_H_
