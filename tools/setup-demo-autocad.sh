#!/usr/bin/env bash
# Usage: tools/setup-demo-autocad.sh [--release 2006|2026]
#        (with WINEPREFIX set, as scripts/wine-env.sh sets it)
# Lays a demo AutoCAD 2004-or-later into the Wine prefix: the AutoCAD folder the installer proposes
# ("c:\Programmi\Autocad 2006"), a user profile whose Support folder holds the menu and command
# alias files, and the registry values that lead the installer to that profile. Files already
# patched by an earlier run are laid anew.
#   2006 (the default): the AutoCAD folder holds the session and document start-up files the
#        installer patches.
#   2026: release R25.1, the AutoCAD folder without any of those files, and AutoCAD's own profile
#        with a trusted path of the user's; the installer lays its bundle in the user's
#        application data, from which an earlier run's bundle is taken out first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
release=2006
while [ $# -gt 0 ]; do
  case "$1" in
    --release) release="${2:-}"; shift 2 ;;
    *) echo "usage: $0 [--release 2006|2026]" >&2; exit 2 ;;
  esac
done
case "$release" in
  2006) curver=R16.2 product=ACAD-4001:410 profile_dir='AutoCAD 2006\R16.2\ita' ;;
  2026) curver=R25.1 product=ACAD-9101:410 profile_dir='AutoCAD 2026\R25.1\ita' ;;
  *) echo "$0: no demo AutoCAD $release (2006 or 2026)" >&2; exit 2 ;;
esac
: "${WINEPREFIX:?set WINEPREFIX (source scripts/wine-env.sh)}"
drive="$WINEPREFIX/drive_c"
acad="$drive/Programmi/Autocad 2006"
profile="$drive/Profili/${profile_dir//\\//}"
rm -rf "$acad" "$drive/Profili"
mkdir -p "$acad/support" "$profile/Support"
if [ "$release" = 2006 ]; then
  cp "$here/demo-autocad/acad2005.lsp" "$acad/acad2005.lsp"
  cp "$here/demo-autocad/acad2005doc.lsp" "$acad/support/acad2005doc.lsp"
fi
cp "$here/demo-autocad/acad.mns" "$here/demo-autocad/acad.pgp" "$profile/Support/"

key='HKCU\Software\Autodesk\AutoCAD'
# The release's key goes as a whole, so that the profiles' variables start as AutoCAD made them.
wine reg delete "$key\\$curver" /f >/dev/null 2>&1 || true
wine reg add "$key" /v CurVer /t REG_SZ /d "$curver" /f >/dev/null 2>&1
wine reg add "$key\\$curver" /v CurVer /t REG_SZ /d "$product" /f >/dev/null 2>&1
wine reg add "$key\\$curver\\$product" /v RoamableRootFolder /t REG_SZ \
  /d "C:\\Profili\\$profile_dir\\" /f >/dev/null 2>&1
if [ "$release" = 2026 ]; then
  wine reg add "$key\\$curver\\$product\\Profiles\\<<Unnamed Profile>>\\Variables" \
    /v TRUSTEDPATHS /t REG_SZ /d 'C:\Lisp' /f >/dev/null 2>&1
fi
# An earlier 2026 run's bundle goes, whichever release is laid now.
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
appdata_unix=$(winepath -u "$appdata" 2>/dev/null || true)
if [ -n "$appdata" ] && [ -d "$appdata_unix" ]; then
  rm -rf "$appdata_unix/Autodesk/ApplicationPlugins/Tolvek.bundle"
fi
echo "Demo AutoCAD $release: C:\\Programmi\\Autocad 2006, profile C:\\Profili\\$profile_dir\\"
