#!/usr/bin/env bash
# Usage: make-throwaway-certificate.sh FOLDER
# Makes, in FOLDER of the build tree, what the signing tests sign and check with: a certificate
# authority of their own (ca.pem), a code-signing certificate it issued with its key in a PKCS#12
# file (signer.p12, password in password.txt), and a time-stamping certificate (tsa.pem, tsa.key)
# for the tests' own time-stamp server. Made anew on each run, valid for two days, never committed.
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
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[tsa]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
END

quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; "$@"; exit 1; }; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Tolvek signing tests CA" -config extensions.cnf -extensions ca
# issue NAME SUBJECT EXTENSIONS
issue() {
  quiet openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$2" \
    -config extensions.cnf
  quiet openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -out "$1.pem" -extfile extensions.cnf -extensions "$3"
}
issue signer "/CN=KOVIA (test)/O=KOVIA" signer
issue tsa "/CN=Tolvek tests time-stamp server" tsa
openssl rand -hex 12 >password.txt
quiet openssl pkcs12 -export -out signer.p12 -inkey signer.key -in signer.pem -certfile ca.pem \
  -passout file:password.txt
rm -f ./*.csr signer.key ca.key
echo "Throwaway certificate authority, signer and time-stamp server in $folder"
