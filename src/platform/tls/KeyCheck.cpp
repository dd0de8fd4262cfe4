#include "platform/tls/KeyCheck.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <memory>
#include <type_traits>

namespace pvx::platform::tls {
namespace {

template <class T, void (*Free)(T*)>
using TOwned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

}  // namespace

bool KeyFitsCertificate(const QByteArray& certificatePem, const QByteArray& keyPem) {
  TOwned<BIO, BIO_free_all> certificateBio(BIO_new_mem_buf(certificatePem.data(), int(certificatePem.size())));
  TOwned<BIO, BIO_free_all> keyBio(BIO_new_mem_buf(keyPem.data(), int(keyPem.size())));
  TOwned<X509, X509_free> x509(PEM_read_bio_X509(certificateBio.get(), nullptr, nullptr, nullptr));
  TOwned<EVP_PKEY, EVP_PKEY_free> pkey(PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr));
  const bool fits = x509 && pkey && X509_check_private_key(x509.get(), pkey.get()) == 1;
  ERR_clear_error();  // Qt's own TLS calls on this thread read the same error queue
  return fits;
}

}  // namespace pvx::platform::tls
