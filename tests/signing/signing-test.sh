#!/usr/bin/env bash
# Usage: signing-test.sh CASE BUILD_DIR CERT_FOLDER WORK_FOLDER
# The build's signing step (scripts/sign-programs.sh) on copies of the built INSTALL.EXE and
# INSTALL.DLL, checked by osslsigncode's own verification against the throwaway certificate
# authority of CERT_FOLDER (make-throwaway-certificate.sh). One case a run, as ctest names it:
#
#   signs        both programs signed verify, still within 512 KB; the marking to run from the
#                swap file, run again, changes no byte; taking the signature off gives the built
#                program back, so the signature changed nothing of it
#   tampered     a byte changed after signing, in the header the marking sets, in the code or in
#                the resources, fails the verification
#   unsigned     without a certificate nothing changes, and the step says so
#   refused      a wrong password, or an unreadable certificate, signs nothing and fails; in the
#                build (--remove-on-failure) the program goes, so the next build makes it again
#   repeatable   with SOURCE_DATE_EPOCH two signings, a second apart, give the same bytes, with
#                that signing time; signing a signed program again gives the same bytes too
#   time-stamped with the tests' own time-stamp server both signatures carry a verified time
#                stamp, and both programs stay within 512 KB; a server that does not answer fails
#                the signing
#   wine         the signed programs install and remove the product under Wine as the unsigned
#                ones do (the end-to-end tests run on the signed copies), and the uninstaller the
#                installation leaves is the signed program, byte for byte
set -euo pipefail
case_name=$1
build=$2
certificates=$3
work=$4
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
sign="$source_dir/scripts/sign-programs.sh"
failures=0

rm -rf "$work"
mkdir -p "$work/built"
cd "$work"
# The programs as the build links and marks them: a build signed by its developer is taken back
# to that.
for program in INSTALL.EXE INSTALL.DLL; do
  if ! osslsigncode remove-signature -in "$build/$program" -out "built/$program" >/dev/null 2>&1; then
    cp "$build/$program" "built/$program"
  fi
  cp "built/$program" .
done

check() {  # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@" >check.out 2>&1; then
    echo "ok: $description"
  else
    echo "FAILED: $description" >&2
    sed 's/^/    /' check.out >&2
    failures=$((failures + 1))
  fi
}
fails() { ! "$@"; }
# The tests' certificates name revocation lists on servers that do not exist, as a public
# authority's name its own; an osslsigncode that fetches them is told not to.
crl_option=""
verify_help=$(osslsigncode verify --help 2>&1 || true)
if grep -q -- -ignore-crl <<<"$verify_help"; then crl_option=-ignore-crl; fi
verify() {
  osslsigncode verify $crl_option -CAfile "$certificates/ca.pem" \
    -TSA-CAfile "$certificates/ca.pem" -in "$1"
}
with_certificate() {
  TOLVEK_SIGN_PKCS12="$certificates/signer.p12" \
    TOLVEK_SIGN_PASSWORD="$(cat "$certificates/password.txt")" "$@"
}
without_certificate() { env -u TOLVEK_SIGN_PKCS12 -u TOLVEK_SIGN_PASSWORD "$@"; }
total_size() { echo $(($(stat -c %s "$1") + $(stat -c %s "$2"))); }
# flip FILE OFFSET: a copy of FILE with the byte at OFFSET changed, named FILE.OFFSET
flip() {
  cp "$1" "$1.$2"
  local byte
  byte=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte ^ 0x20) & 0xFF)))" |
    dd of="$1.$2" bs=1 seek="$2" conv=notrunc status=none
}
# The offset of a 32-bit little-endian number at OFFSET of FILE.
number_at() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }

case "$case_name" in
  signs)
    check "the signing step signs both programs" with_certificate "$sign" INSTALL.EXE INSTALL.DLL
    for program in INSTALL.EXE INSTALL.DLL; do
      check "$program verifies" verify "$program"
      cp "$program" "$program.marked"
      check "marking the signed $program again runs" "$build/host/mark-run-from-swap" \
        "$program.marked"
      check "and changes no byte of it" cmp "$program" "$program.marked"
      check "the signature taken off $program gives the built program" bash -c \
        "osslsigncode remove-signature -in '$program' -out '$program.bare' && \
         cmp '$program.bare' 'built/$program'"
    done
    size=$(total_size INSTALL.EXE INSTALL.DLL)
    echo "signed: INSTALL.EXE $(stat -c %s INSTALL.EXE) bytes, INSTALL.DLL $(stat -c %s INSTALL.DLL) bytes, together $size"
    check "both signed within 512 KB ($size bytes)" test "$size" -le 524288
    ;;
  tampered)
    check "the signing step signs INSTALL.EXE" with_certificate "$sign" INSTALL.EXE
    check "INSTALL.EXE verifies" verify INSTALL.EXE
    header=$(number_at INSTALL.EXE 60)
    certificates_at=$(number_at INSTALL.EXE $((header + 4 + 20 + 128)))
    # The file header's characteristics (the run-from-swap bits), a byte in the middle (code),
    # the last byte before the signature (the resources).
    for offset in $((header + 4 + 18 + 1)) $((certificates_at / 2)) $((certificates_at - 1)); do
      flip INSTALL.EXE "$offset"
      check "a byte changed at $offset of $certificates_at fails the verification" fails verify \
        "INSTALL.EXE.$offset"
    done
    ;;
  unsigned)
    output=$(without_certificate "$sign" INSTALL.EXE INSTALL.DLL)
    echo "$output"
    for program in INSTALL.EXE INSTALL.DLL; do
      check "without a certificate $program is left as built" cmp "$program" "built/$program"
      check "and the step says $program is not signed" grep -q "^$program: not signed" <<<"$output"
      check "$program carries no signature" fails osslsigncode extract-signature -in "$program" \
        -out "$program.signature"
    done
    ;;
  refused)
    check "a wrong password fails" fails env TOLVEK_SIGN_PKCS12="$certificates/signer.p12" \
      TOLVEK_SIGN_PASSWORD=wrong "$sign" INSTALL.EXE
    check "and leaves the program as it was" cmp INSTALL.EXE built/INSTALL.EXE
    check "a certificate that is not there fails" fails env TOLVEK_SIGN_PKCS12=missing.p12 \
      TOLVEK_SIGN_PASSWORD=x "$sign" INSTALL.DLL
    check "and leaves the program as it was" cmp INSTALL.DLL built/INSTALL.DLL
    check "in the build a wrong password fails" fails env \
      TOLVEK_SIGN_PKCS12="$certificates/signer.p12" TOLVEK_SIGN_PASSWORD=wrong "$sign" \
      --remove-on-failure INSTALL.EXE
    check "and removes the unsigned program" test ! -e INSTALL.EXE
    check "leaving nothing half-written beside it" test -z "$(ls -A | grep -v '^INSTALL.DLL$\|^check.out$\|^built$')"
    ;;
  repeatable)
    cp INSTALL.EXE second.exe
    check "signing at SOURCE_DATE_EPOCH" with_certificate env SOURCE_DATE_EPOCH=1700000000 \
      "$sign" INSTALL.EXE
    sleep 1.1
    check "signing a second copy a second later" with_certificate env \
      SOURCE_DATE_EPOCH=1700000000 "$sign" second.exe
    check "gives the same bytes" cmp INSTALL.EXE second.exe
    check "signing the signed program again" with_certificate env SOURCE_DATE_EPOCH=1700000000 \
      "$sign" second.exe
    check "gives the same bytes too" cmp INSTALL.EXE second.exe
    check "and the signature bears that time" bash -c "osslsigncode verify $crl_option \
      -CAfile '$certificates/ca.pem' -in INSTALL.EXE | grep -q 'Signing time: Nov 14 22:13:20 2023'"
    ;;
  time-stamped)
    python3 "$source_dir/tests/signing/time-stamp-server.py" "$certificates" "$work/port" &
    server=$!
    trap 'kill "$server" 2>/dev/null || true' EXIT
    for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
    url="http://127.0.0.1:$(cat "$work/port")/"
    check "signing both programs with a time-stamp server" with_certificate \
      env TOLVEK_SIGN_TIMESTAMP="$url" "$sign" INSTALL.EXE INSTALL.DLL
    for program in INSTALL.EXE INSTALL.DLL; do
      check "gives $program a signature whose time stamp verifies" bash -c "osslsigncode verify \
        $crl_option -CAfile '$certificates/ca.pem' -TSA-CAfile '$certificates/ca.pem' \
        -in $program | grep -q 'Timestamp Server Signature verification: ok'"
    done
    # A release signed with a public authority's certificate and time stamp: the certificates of
    # both chains in each signature, some 10 KB a program, and still within the first disk's 512 KB.
    size=$(total_size INSTALL.EXE INSTALL.DLL)
    echo "signed and time-stamped: INSTALL.EXE $(stat -c %s INSTALL.EXE) bytes, INSTALL.DLL" \
      "$(stat -c %s INSTALL.DLL) bytes, together $size"
    check "both signed and time-stamped within 512 KB ($size bytes)" test "$size" -le 524288
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    cp built/INSTALL.EXE unanswered.exe
    check "a time-stamp server that does not answer fails the signing" fails with_certificate \
      env TOLVEK_SIGN_TIMESTAMP="$url" "$sign" unanswered.exe
    check "and leaves the program as it was" cmp unanswered.exe built/INSTALL.EXE
    ;;
  wine)
    check "the signing step signs both programs" with_certificate "$sign" INSTALL.EXE INSTALL.DLL
    for program in INSTALL.EXE INSTALL.DLL; do check "$program verifies" verify "$program"; done
    # The end-to-end tests take their installer from TOLVEK_INSTALLER_DIR: the signed copies. An
    # installation from the dialog, a silent one (which compares the installed UNINSTAL.EXE with
    # the installer, byte for byte) and a removal through the registered quiet command.
    export TOLVEK_INSTALLER_DIR
    TOLVEK_INSTALLER_DIR=$(winepath -w "$work")
    check "the end-to-end tests pass on the signed programs" wine \
      "$build/tests/wine/e2e/wine_e2e_tests.exe" --gtest_brief=1 --gtest_filter="$(printf '%s:' \
      InstallWineTest.TheDefaultChoicesInstallIntoAutoCad2004AndCreateTheGroup \
      SilentWineTest.ASilentInstallationIntoAutoCad2004GivesWhatTheDialogGives \
      UninstallWineTest.TheQuietCommandTakesAnAutoCad2004InstallationBackByteForByte)"
    ;;
  *)
    echo "no such case: $case_name" >&2
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
