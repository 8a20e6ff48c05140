#!/usr/bin/env bash
# Usage: make-throwaway-certificate.sh FOLDER
# Makes, in FOLDER of the build tree, what the signing tests sign and check with, shaped as a
# commercial certificate is, so that the size the signatures add is the size a release's adds: a
# root certificate authority of their own (ca.pem, RSA 4096), an issuing authority under it
# (RSA 4096) and a code-signing certificate it issued (RSA 3072, the least a code-signing
# authority issues today), with the issuer's addresses and policies a public one carries; the
# signer's key, its certificate and the issuing authority's in a PKCS#12 file (signer.p12,
# password in password.txt). For the tests' own time-stamp server, a time-stamping certificate
# (tsa.pem, tsa.key, RSA 4096) under a time-stamping authority of its own, with the chain a public
# server sends (tsa-chain.pem: that authority and the root). Made anew on each run, valid for two
# days, never committed.
set -euo pipefail
folder=$1
rm -rf "$folder"
mkdir -p "$folder"
cd "$folder"

cat >extensions.cnf <<'END'
[req]
distinguished_name = name
[name]
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, digitalSignature, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[issuer]
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = critical, digitalSignature, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
authorityInfoAccess = OCSP;URI:http://ocsp.tolvek-tests.invalid,caIssuers;URI:http://certificates.tolvek-tests.invalid/TolvekTestsRootCA.crt
crlDistributionPoints = URI:http://crl.tolvek-tests.invalid/TolvekTestsRootCA.crl
certificatePolicies = 2.23.140.1.3, 2.23.140.1.4.1
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
authorityInfoAccess = OCSP;URI:http://ocsp.tolvek-tests.invalid,caIssuers;URI:http://certificates.tolvek-tests.invalid/TolvekTestsCodeSigningRSA4096SHA384CA1.crt
crlDistributionPoints = URI:http://crl.tolvek-tests.invalid/TolvekTestsCodeSigningRSA4096SHA384CA1.crl, URI:http://crl2.tolvek-tests.invalid/TolvekTestsCodeSigningRSA4096SHA384CA1.crl
certificatePolicies = @policy
[policy]
policyIdentifier = 2.23.140.1.4.1
CPS.1 = http://www.tolvek-tests.invalid/CPS
[tsa]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
authorityInfoAccess = OCSP;URI:http://ocsp.tolvek-tests.invalid,caIssuers;URI:http://certificates.tolvek-tests.invalid/TolvekTestsTimeStampingCA.crt
crlDistributionPoints = URI:http://crl.tolvek-tests.invalid/TolvekTestsTimeStampingCA.crl
certificatePolicies = 2.23.140.1.2.2
END

quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; "$@"; exit 1; }; }
quiet openssl req -x509 -newkey rsa:4096 -sha384 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/C=IT/O=Tolvek signing tests/CN=Tolvek signing tests root CA" -config extensions.cnf \
  -extensions ca
# issue NAME KEY_BITS ISSUER SUBJECT EXTENSIONS
issue() {
  quiet openssl req -newkey "rsa:$2" -nodes -keyout "$1.key" -out "$1.csr" -subj "$4" \
    -config extensions.cnf
  quiet openssl x509 -req -sha384 -in "$1.csr" -CA "$3.pem" -CAkey "$3.key" -CAcreateserial \
    -days 2 -out "$1.pem" -extfile extensions.cnf -extensions "$5"
}
issue issuer 4096 ca "/C=IT/O=Tolvek signing tests/CN=Tolvek tests Code Signing RSA4096 SHA384 CA1" \
  issuer
issue signer 3072 issuer \
  "/C=IT/ST=Lombardia/L=Milano/O=KOVIA (test)/CN=KOVIA (test)/serialNumber=TEST-0000000" signer
issue tsa-issuer 4096 ca "/C=IT/O=Tolvek signing tests/CN=Tolvek tests RSA4096 Time Stamping CA" \
  issuer
issue tsa 4096 tsa-issuer "/C=IT/O=Tolvek signing tests/CN=Tolvek tests time-stamp server" tsa
cat tsa-issuer.pem ca.pem >tsa-chain.pem
openssl rand -hex 12 >password.txt
quiet openssl pkcs12 -export -out signer.p12 -inkey signer.key -in signer.pem \
  -certfile issuer.pem -passout file:password.txt
rm -f ./*.csr ./*.srl signer.key issuer.key tsa-issuer.key ca.key
echo "Throwaway certificate authority, signer and time-stamp server in $folder"
