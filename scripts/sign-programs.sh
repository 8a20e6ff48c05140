#!/usr/bin/env bash
# Usage: scripts/sign-programs.sh [--remove-on-failure] PROGRAM...
# The build's signing step: signs each Windows program with Authenticode (osslsigncode, SHA-256),
# in place, with the certificate and key of a PKCS#12 file the user gives. The build runs it on
# INSTALL.EXE and INSTALL.DLL after each link, once they are marked to run from the swap file: the
# signature covers the headers the marking changes, so the marking must come first
# (cmake/Signing.cmake). A program that is already signed is signed afresh.
#
# From the environment, never from the repository or a command line:
#   TOLVEK_SIGN_PKCS12     the PKCS#12 file (certificate, its chain, key), by its full path: the
#                          build runs this in folders of its own. Unset: the programs
#                          stay as they are, unsigned, and this says so.
#   TOLVEK_SIGN_PASSWORD   its password, handed to osslsigncode through a pipe.
#   TOLVEK_SIGN_TIMESTAMP  the URL of an RFC 3161 time-stamp server (optional): with it the
#                          signature stays valid after the certificate expires.
#   SOURCE_DATE_EPOCH      the signing time written into the signature (optional; otherwise now):
#                          one key, one time and one program give one signed program.
#
# --remove-on-failure: the build's own use. A program that cannot be signed is deleted, so that
# the next build links and signs it again instead of taking the unsigned file for finished.
set -euo pipefail

remove_on_failure=""
if [ "${1:-}" = "--remove-on-failure" ]; then
  remove_on_failure=1
  shift
fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--remove-on-failure] PROGRAM..." >&2
  exit 2
fi

pkcs12="${TOLVEK_SIGN_PKCS12:-}"
if [ -z "$pkcs12" ]; then
  for program in "$@"; do
    echo "$(basename "$program"): not signed (no certificate: TOLVEK_SIGN_PKCS12 is not set)"
  done
  exit 0
fi

# fail PROGRAM MESSAGE
fail() {
  echo "$(basename "$1"): not signed: $2" >&2
  if [ -n "$remove_on_failure" ]; then
    rm -f "$1"
    echo "$(basename "$1") is removed, so that the next build makes and signs it again" >&2
  fi
  exit 1
}

for program in "$@"; do
  command -v osslsigncode >/dev/null || fail "$program" "osslsigncode is not installed"
  [ -r "$pkcs12" ] || fail "$program" "the certificate file $pkcs12 cannot be read"
  [ -f "$program" ] || fail "$program" "no such program"

  unsigned="$program.unsigned"
  signing="$program.signing"
  rm -f "$unsigned" "$signing"
  trap 'rm -f "$unsigned" "$signing"' EXIT
  source="$program"
  if osslsigncode extract-signature -in "$program" -out /dev/null >/dev/null 2>&1; then
    osslsigncode remove-signature -in "$program" -out "$unsigned" >/dev/null ||
      fail "$program" "its earlier signature cannot be removed"
    source="$unsigned"
  fi

  # The description is what Windows' elevation prompt shows as the program's name.
  options=(-pkcs12 "$pkcs12" -h sha256 -n "Tolvek")
  stamped=""
  if [ -n "${TOLVEK_SIGN_TIMESTAMP:-}" ]; then
    options+=(-ts "$TOLVEK_SIGN_TIMESTAMP")
    stamped=", time-stamped by $TOLVEK_SIGN_TIMESTAMP"
  fi
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then options+=(-time "$SOURCE_DATE_EPOCH"); fi
  if [ -n "${TOLVEK_SIGN_PASSWORD+set}" ]; then options+=(-readpass /dev/fd/3); fi
  if ! output=$(osslsigncode sign "${options[@]}" -in "$source" -out "$signing" 2>&1 \
    3< <(printf '%s\n' "${TOLVEK_SIGN_PASSWORD:-}")); then
    echo "$output" >&2
    fail "$program" "osslsigncode could not sign it with $pkcs12 (its password?)${stamped:+ or reach the time-stamp server $TOLVEK_SIGN_TIMESTAMP}"
  fi
  chmod --reference="$program" "$signing"
  mv -f "$signing" "$program"
  rm -f "$unsigned"
  trap - EXIT
  echo "$(basename "$program"): signed with $pkcs12$stamped, $(stat -c %s "$program") bytes"
done
