#!/usr/bin/env bash
# Reads the Windows program's resources and imports back out of the built file:
#   tests/release/resources.sh <tactico-update.exe>
# The manifest (administrator, supported systems, DPI awareness, long paths), the
# version strings, the three images of icon 100, and imports from Windows' own DLLs
# only.
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 <tactico-update.exe>" >&2; exit 2; }
exe=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL: $exe: $*" >&2; exit 1; }

tools=$(x86_64-w64-mingw32-objdump -f "$exe" 2>/dev/null |
    sed -n 's/.*file format pei-x86-64$/x86_64-w64-mingw32/p; s/.*file format pei-i386$/i686-w64-mingw32/p')
[[ -n $tools ]] || fail "not a Windows program"
resources=$("$tools-windres" -i "$exe" -O rc) || fail "windres cannot read its resources"
has() { grep -qF -- "$1" <<<"$resources" || fail "no $2 in the resources"; }

# The version players see is the one the updater's version text names.
version=$(sed -n 's/.*UpdaterVersionText = "Version \([0-9]*\)\.\([0-9]*\).*/\1.\2/p' \
    "$root/wizard/texts.cpp")
[[ -n $version ]] || fail "no version text in wizard/texts.cpp"

has 'requestedExecutionLevel level=""requireAdministrator""' "request for elevation"
for os in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
    4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
    8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
    has "<supportedOS Id=\"\"{$os}\"\"/>" "supported system $os"
done
has '>PerMonitorV2, PerMonitor</dpiAwareness>' "per-monitor DPI awareness"
has '>true/pm</dpiAware>' "DPI awareness for systems before Windows 10"
has '>true</longPathAware>' "long paths"
grep -q 'activeCodePage' <<<"$resources" && fail "the manifest switches the code page"
echo "ok: manifest asks for an administrator, names Vista to 11, is per-monitor DPI aware, takes long paths"

has "FILEVERSION ${version/./, }, 0, 0" "file version $version.0.0"
has "PRODUCTVERSION ${version/./, }, 0, 0" "product version $version.0.0"
for pair in "CompanyName|Brackwater Ltd" "ProductName|Tactico" "FileDescription|Tactico Update" \
    "FileVersion|$version.0.0" "ProductVersion|$version.0.0" \
    "OriginalFilename|tactico-update.exe" "LegalCopyright|Copyright (C) Brackwater Ltd"; do
    has "VALUE \"${pair%%|*}\", \"${pair#*|}\"" "${pair%%|*} \"${pair#*|}\""
done
echo "ok: version $version.0.0 of Tactico Update by Brackwater Ltd"

# The group of icon 100 lists its images as "width height colours pad", planes, bits.
icon=$(sed -n '/^100 14 /,/^END/p' <<<"$resources")
for image in '"\040\040\020\000", 1, 4,' '"\040\040\002\000", 1, 1,' '"\020\020\020\000", 1, 4,'; do
    grep -qF -- "$image" <<<"$icon" || fail "icon 100 lacks the image $image"
done
grep -q 'Has 3 elements' <<<"$icon" || fail "icon 100 does not have exactly three images"
echo "ok: icon 100 holds 32x32 in 16 and in 2 colours and 16x16 in 16 colours"

# Windows' own DLLs, on the known-DLL list of every system from Vista on, so none is
# looked for beside the program. bcrypt.dll and oleacc.dll are not on it, and
# shell32.dll loads shcore.dll, which is not either: those three are loaded at run
# time from the system folder, after the DLL search is restricted, never imported.
imports=$("$tools-objdump" -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[[ -n $imports ]] || fail "no imports read"
for dll in $imports; do
    case $dll in
        kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | msvcrt.dll | ole32.dll | oleaut32.dll) ;;
        *) fail "imports $dll, which is not on every system's known-DLL list" ;;
    esac
done
echo "ok: imports only $(tr '\n' ' ' <<<"$imports")"

# Address-space randomisation (high-entropy on the 64-bit program) and DEP.
characteristics=$("$tools-objdump" -p "$exe" | sed -n 's/^DllCharacteristics[[:space:]]*//p')
[[ -n $characteristics ]] || fail "no DllCharacteristics read"
wanted=$((0x40 | 0x100)) # DYNAMIC_BASE, NX_COMPAT
[[ $tools == x86_64-w64-mingw32 ]] && wanted=$((wanted | 0x20)) # HIGH_ENTROPY_VA
(((0x$characteristics & wanted) == wanted)) || fail "DllCharacteristics $characteristics lack $wanted"
echo "ok: randomised base and DEP (DllCharacteristics $characteristics)"
