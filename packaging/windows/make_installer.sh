#!/usr/bin/env bash
# Makes the Windows installer from the Windows ZIP, so that both carry the same
# files, with Debian's makensis.
#   make_installer.sh ZIP VERSION SETUP_EXE
set -euo pipefail

zip=$(realpath "$1") version=$2 out=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/stage"
(cd "$work/stage" && cmake -E tar xf "$zip")
stage=$work/stage
# CPack puts everything in one top folder named after the package.
tops=("$stage"/*)
if [ ${#tops[@]} -eq 1 ] && [ -d "${tops[0]}" ]; then
    stage=${tops[0]}
fi
[ -f "$stage/Pedestal.exe" ] || { echo "$zip holds no Pedestal.exe at its top" >&2; exit 1; }

# What the installer writes and, in the opposite order, what its uninstaller
# deletes: exactly the ZIP's files.
mapfile -t files < <(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
win() { printf '%s' "${1//\//\\}"; }
{
    echo '!macro InstallFiles'
    last=""
    for f in "${files[@]}"; do
        dir=$(dirname "$f")
        if [ "$dir" != "$last" ]; then
            if [ "$dir" = . ]; then
                echo '  SetOutPath "$INSTDIR"'
            else
                echo "  SetOutPath \"\$INSTDIR\\$(win "$dir")\""
            fi
            last=$dir
        fi
        echo "  File \"$stage/$f\""
    done
    echo '!macroend'
    echo '!macro UninstallFiles'
    for f in "${files[@]}"; do
        echo "  Delete \"\$INSTDIR\\$(win "$f")\""
    done
    (cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) | while read -r d; do
        echo "  RMDir \"\$INSTDIR\\$(win "$d")\""
    done
    echo '!macroend'
} >"$work/files.nsh"

# The version resource takes four numbers.
IFS=. read -r major minor patch tweak <<<"$version"
four="${major:-0}.${minor:-0}.${patch:-0}.${tweak:-0}"
makensis -V2 -NOCD -DVERSION="$four" -DOUTFILE="$out" -DFILES="$work/files.nsh" \
    -DICON="$here/../../panel/res/icon128.ico" "$here/installer.nsi"
echo "$out"
