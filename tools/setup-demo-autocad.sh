#!/usr/bin/env bash
# Usage: tools/setup-demo-autocad.sh   (with WINEPREFIX set, as scripts/wine-env.sh sets it)
# Lays a demo AutoCAD 2004-or-later into the Wine prefix: the AutoCAD folder the installer proposes
# ("c:\Programmi\Autocad 2006") with its session and document start-up files, a user profile whose
# Support folder holds the menu and command alias files, and the registry values that lead the
# installer to that profile. Files already patched by an earlier run are laid anew.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?set WINEPREFIX (source scripts/wine-env.sh)}"
drive="$WINEPREFIX/drive_c"
acad="$drive/Programmi/Autocad 2006"
profile="$drive/Profili/AutoCAD 2006/R16.2/ita"
rm -rf "$acad" "$drive/Profili"
mkdir -p "$acad/support" "$profile/Support"
cp "$here/demo-autocad/acad2005.lsp" "$acad/acad2005.lsp"
cp "$here/demo-autocad/acad2005doc.lsp" "$acad/support/acad2005doc.lsp"
cp "$here/demo-autocad/acad.mns" "$here/demo-autocad/acad.pgp" "$profile/Support/"
key='HKCU\Software\Autodesk\AutoCAD'
wine reg add "$key" /v CurVer /t REG_SZ /d R16.2 /f >/dev/null 2>&1
wine reg add "$key\\R16.2" /v CurVer /t REG_SZ /d ACAD-4001:410 /f >/dev/null 2>&1
wine reg add "$key\\R16.2\\ACAD-4001:410" /v RoamableRootFolder /t REG_SZ \
  /d 'C:\Profili\AutoCAD 2006\R16.2\ita\' /f >/dev/null 2>&1
echo "Demo AutoCAD: C:\\Programmi\\Autocad 2006, profile C:\\Profili\\AutoCAD 2006\\R16.2\\ita\\"
