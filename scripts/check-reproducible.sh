#!/usr/bin/env bash
# Usage: scripts/check-reproducible.sh [COMMIT]
# Builds INSTALL.EXE and INSTALL.DLL of one commit (HEAD by default) twice and compares them byte
# for byte: from two copies of its source in two folders of different names and depths, one
# build after the other, the second in another time zone, with another umask and with
# SOURCE_DATE_EPOCH unset where the first had it set. Anyone can then rebuild a release and check
# that a medium holds what the source builds (README, "Signing"). The programs compared are the
# unsigned ones: a signature is the signer's, not the source's. Takes two product builds, a few
# minutes on two cores; CI runs it after ./test. On a difference it keeps both builds and says
# where.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

commit=$(git rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d -t tolvek-reproducible.XXXXXX)
keep=""
cleanup() { [ -n "$keep" ] || rm -rf "$work"; }
trap cleanup EXIT

# build SOURCE_FOLDER UMASK ENV_ARGUMENTS...: the commit's files into the folder, then its win32
# preset's two programs, with that umask and in the environment `env` makes of the arguments.
build() {
  local source=$1 mask=$2
  shift 2
  mkdir -p "$source"
  git archive "$commit" | tar -x -C "$source"
  echo "Building INSTALL.EXE and INSTALL.DLL of ${commit:0:12} in $source"
  (cd "$source" && umask "$mask" && env "$@" cmake --preset win32 >/dev/null &&
    env "$@" cmake --build --preset win32 --target install_exe unzip_dll >"$source.log" 2>&1) || {
    keep=1
    echo "The build in $source failed; its output is in $source.log" >&2
    exit 1
  }
}

first="$work/first/tolvek"
second="$work/second-build/somewhere/deeper/tolvek-again"
build "$first" 022 TZ=UTC SOURCE_DATE_EPOCH="$(git log -1 --format=%ct "$commit")"
build "$second" 077 -u SOURCE_DATE_EPOCH TZ=Pacific/Kiritimati

status=0
for program in INSTALL.EXE INSTALL.DLL; do
  a="$first/build/win32/$program"
  b="$second/build/win32/$program"
  if cmp -s "$a" "$b"; then
    echo "$program: the same $(stat -c %s "$a") bytes, sha256 $(sha256sum "$a" | cut -c1-64)"
  else
    status=1
    keep=1
    echo "$program differs between the two builds: $a and $b" >&2
    cmp -l "$a" "$b" | head -n 5 >&2 || true
  fi
done
[ "$status" -eq 0 ] || echo "Both builds are kept in $work" >&2
exit "$status"
