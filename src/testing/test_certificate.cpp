#include "testing/test_certificate.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace testing_support {

namespace {

constexpr long kValidSeconds = 24L * 60 * 60;

void Check(bool ok, const char* step) {
  if (!ok)
    throw std::runtime_error(std::string("OpenSSL: ") + step);
}

void AddExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  std::unique_ptr<X509_EXTENSION, decltype(&X509_EXTENSION_free)> extension(
      X509V3_EXT_conf_nid(nullptr, &context, nid, value), X509_EXTENSION_free);
  Check(extension && X509_add_ext(certificate, extension.get(), -1) == 1, "extension");
}

void WritePem(const std::filesystem::path& path, auto write) {
  std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "w"), std::fclose);
  Check(file && write(file.get()) == 1, "write");
}

}  // namespace

CertificateFiles MakeSelfSignedCertificate(const std::filesystem::path& folder,
                                           const std::string& name) {
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  Check(key != nullptr, "key");
  std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), X509_free);
  X509* x = certificate.get();
  Check(X509_set_version(x, 2) == 1, "version");
  ASN1_INTEGER_set(X509_get_serialNumber(x),
                   static_cast<long>(std::hash<std::string>{}(name) >> 2));
  X509_gmtime_adj(X509_getm_notBefore(x), -60);
  X509_gmtime_adj(X509_getm_notAfter(x), kValidSeconds);
  X509_NAME* subject = X509_get_subject_name(x);
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
  Check(X509_set_issuer_name(x, subject) == 1, "issuer");
  Check(X509_set_pubkey(x, key.get()) == 1, "public key");
  AddExtension(x, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(x, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  Check(X509_sign(x, key.get(), EVP_sha256()) > 0, "sign");

  CertificateFiles files{folder / (name + ".crt"), folder / (name + ".key")};
  WritePem(files.certificate, [&](FILE* f) { return PEM_write_X509(f, x); });
  WritePem(files.key, [&](FILE* f) {
    return PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
  });
  return files;
}

}  // namespace testing_support
