#pragma once
// Whether a private key belongs to a certificate: Qt cannot tell, OpenSSL can.

#include <QByteArray>

namespace pvx::platform::tls {

// Both in PEM; false when either does not read.
bool KeyFitsCertificate(const QByteArray& certificatePem, const QByteArray& keyPem);

}  // namespace pvx::platform::tls
