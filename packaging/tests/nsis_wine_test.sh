#!/usr/bin/env bash
# Runs the Windows installer silently under Wine, finds the programs, the
# Start-menu shortcut and the Apps & features entry where they belong, runs the
# installed simblock.exe, then uninstalls silently and finds all of it gone.
#   nsis_wine_test.sh SETUP_EXE VERSION WORK_DIR PROGRAM.exe...
# The Wine prefix (WORK_DIR/wine) is set up as scripts/windows.sh sets up its
# own, once, and kept: a fresh one costs about 20 s.
set -euo pipefail

setup=$1 version=$2 work=$3
shift 3
programs=("$@")
[ -f "$setup" ] || { echo "no installer $setup: run scripts/package.sh first" >&2; exit 1; }
fail() { echo "FAIL: $*" >&2; exit 1; }

wine=/usr/lib/wine/wine64 # Debian 12 puts no wine64 on PATH
export WINEPREFIX=$work/wine WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installers
unset DISPLAY # a silent installer opens no window
trap 'wineserver -k 2>/dev/null || true' EXIT

dir="$WINEPREFIX/drive_c/Program Files/Pedestal"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pedestal.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pedestal'

# A prefix an interrupted run left with the programs installed starts afresh.
if [ -e "$dir" ] || [ -e "$link" ]; then
    rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$work"
    "$wine" wineboot --init
    wineserver -w
fi

# The version resource of a PE file: VS_FIXEDFILEINFO's file version.
pe_version() {
    python3 - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at < 0:
    sys.exit("no version resource")
ms, ls = struct.unpack_from("<II", data, at + 8)
print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
EOF
}
expect() { # WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
    echo "ok: $1"
}

expect "installer's version resource" "$version" "$(pe_version "$setup")"

# --- setup.exe /S ----------------------------------------------------------
"$wine" "$setup" /S || fail "setup.exe /S ended with $?"
wineserver -w
for program in "${programs[@]}" Uninstall.exe; do
    [ -f "$dir/$program" ] || fail "$program is not in C:\\Program Files\\Pedestal"
done
echo "ok: programs in C:\\Program Files\\Pedestal: $(cd "$dir" && find . -name '*.exe' | sort | tr '\n' ' ')"
expect "Pedestal.exe's version resource" "$version" "$(pe_version "$dir/Pedestal.exe")"
[ -f "$link" ] || fail "no Start-menu shortcut $link"
grep -aq 'C:\\Program Files\\Pedestal\\Pedestal.exe' "$link" ||
    fail "the Start-menu shortcut does not start C:\\Program Files\\Pedestal\\Pedestal.exe"
echo "ok: Start-menu shortcut to the pedestal"
shown=$("$wine" reg query "$key" /v DisplayVersion | tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }')
expect "Apps & features shows the version" "$version" "$shown"

answer=$("$wine" 'C:\Program Files\Pedestal\simblock.exe' --version | tr -d '\r')
expect "installed simblock.exe --version" "simblock $version" "$answer"

# --- Uninstall.exe /S -------------------------------------------------------
# The uninstaller runs from a copy of itself; wineserver -w waits for that too.
"$wine" 'C:\Program Files\Pedestal\Uninstall.exe' /S || fail "Uninstall.exe /S ended with $?"
wineserver -w
[ ! -e "$dir" ] || fail "left behind: $(find "$dir")"
[ ! -e "$link" ] || fail "the Start-menu shortcut is left"
if "$wine" reg query "$key" >/dev/null 2>&1; then
    fail "the Apps & features entry is left"
fi
echo "ok: uninstalled: programs, shortcut and entry gone"
echo "installer test passed"
