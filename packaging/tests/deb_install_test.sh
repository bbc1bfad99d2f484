#!/usr/bin/env bash
# Installs the .deb into a fresh Debian 12 root the way a rig builder would
# (apt-get install ./pedestal_*.deb, nothing installed by hand beforehand) and
# runs the installed commands there.
#   deb_install_test.sh DEB VERSION WORK_DIR
#   PEDESTAL_ROOTFS_CACHE  keeps the bootstrapped root and the downloaded
#                          packages between runs (default /var/cache/pedestal)
# Exit 77 (skipped) when not root: a chroot and mounts need it.
set -euo pipefail

deb=$1 version=$2 work=$3
cache=${PEDESTAL_ROOTFS_CACHE:-/var/cache/pedestal}
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing into a chroot needs root"
    exit 77
fi
[ -f "$deb" ] || { echo "no package $deb: run scripts/package.sh first" >&2; exit 1; }

root=$work/root
server=""
# A block name of this run's own, which no rig uses.
block=PedestalDebInstallTest_$$
# Every mount under the root, deepest first: this run's, or an interrupted one's.
unmount_root() {
    local target
    awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r target; do
            umount "$target" 2>/dev/null || umount -l "$target"
        done
}
# Never delete through a mount that is still there (the package cache).
remove_root() {
    unmount_root
    if grep -q " $root/" /proc/mounts; then
        echo "still mounted under $root: not removed" >&2
        return 1
    fi
    rm -rf "$root"
}
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null || true
        wait "$server" 2>/dev/null || true
    fi
    remove_root || true
    # Only this run's name: should the root's /dev/shm have been the host's.
    rm -f "/dev/shm/$block"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

mount_in_root() { # TYPE SOURCE TARGET [OPTIONS]
    mount -t "$1" ${4:+-o "$4"} "$2" "$root$3"
}

# --- A pristine root, bootstrapped once and kept as a tarball -------------
mkdir -p "$cache/archives"
exec 9>"$cache/lock"
flock 9
"$here/bootstrap_root.sh" "$cache/bookworm-minbase.tar"

remove_root
mkdir -p "$root"
tar -C "$root" -xf "$cache/bookworm-minbase.tar"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount_in_root proc proc /proc
# The root's own /dev/shm: blocks made there cannot meet the host's. A link
# there would be followed by mount to a directory of the host.
rm -rf "$root/dev/shm"
mkdir -m 1777 "$root/dev/shm"
mount_in_root tmpfs tmpfs /dev/shm mode=1777
mount -o bind "$cache/archives" "$root/var/cache/apt/archives"

# --- apt-get install ./pedestal_*.deb ------------------------------------
cp "$deb" "$root/tmp/"
install_deb() {
    # Without recommends, so that only the package's own Depends can bring
    # the libraries its programs load.
    in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
        --no-install-recommends ./$(basename "$deb")"
}
start=$(date +%s)
if ! install_deb; then
    # The cached package lists can name files the mirror has since replaced.
    in_root apt-get update -q
    install_deb || fail "apt-get install of the package"
fi
echo "installed in $(($(date +%s) - start)) s"

# --- The installed commands ----------------------------------------------
expect() { # WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
    echo "ok: $1"
}
commands=(pedestal simblock)
[ -e "$root/usr/bin/pedestal-web" ] && commands+=(pedestal-web)
[ -e "$root/usr/bin/pedestal-input" ] && commands+=(pedestal-input)
for command in "${commands[@]}"; do
    [ -x "$root/usr/bin/$command" ] || fail "/usr/bin/$command is missing"
    # Running it at all proves the package's dependencies brought its libraries.
    first=$(in_root "$command" --version | head -n 1)
    [[ $first == *" $version" ]] || fail "$command --version says '$first', not $version"
    echo "ok: $command --version: $first"
    page=$root/usr/share/man/man1/$command.1.gz
    whatis=$(zcat "$page" | grep -A1 '^\.SH NAME' | tail -n 1)
    [[ $whatis == "$command \\- "* ]] || fail "manual page of $command names '$whatis'"
done
programs=$(in_root dpkg -L pedestal | grep '^/usr/bin/.')
[[ $programs == *[A-Z]* ]] && fail "upper-case command names: $programs"

in_root sh -c "simblock create --name $block && simblock status --name $block" >"$work/status.txt" ||
    fail "simblock create/status: $(cat "$work/status.txt")"
grep -q '128648' "$work/status.txt" || fail "status does not give the block's size: $(cat "$work/status.txt")"
echo "ok: simblock create --name $block && simblock status --name $block"
expect "the block lives in the root's /dev/shm" "yes" "$([ -e "$root/dev/shm/$block" ] && echo yes || echo no)"
expect "the host's /dev/shm never sees it" "no" "$([ -e "/dev/shm/$block" ] && echo yes || echo no)"

# --- The desktop entry and its icon ---------------------------------------
entry=$root/usr/share/applications/pedestal.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
exec_line=$(grep '^Exec=' "$entry")
expect "desktop entry starts the installed command" "Exec=pedestal" "$exec_line"
[ -f "$root/usr/share/icons/hicolor/32x32/apps/pedestal.png" ] || fail "icon missing"
for doc in copyright changelog.gz README.md; do
    [ -f "$root/usr/share/doc/pedestal/$doc" ] || fail "/usr/share/doc/pedestal/$doc missing"
done

# --- pedestal-web on loopback ---------------------------------------------
if [ -e "$root/usr/bin/pedestal-web" ]; then
    port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    # exec: $! is then the server itself, and the lock stays with this script.
    (exec chroot "$root" env -i PATH=/usr/bin:/bin pedestal-web --name "$block" --bind 127.0.0.1 \
        --port "$port" >"$work/web.log" 2>&1 9>&-) &
    server=$!
    fetch='import sys, urllib.request
print(urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/", timeout=2).read().decode())'
    page=""
    for _ in $(seq 50); do
        page=$(python3 -c "$fetch" "$port" 2>/dev/null) && break
        sleep 0.2
    done
    [[ $page == *"<html"* ]] || fail "no page from pedestal-web: $(cat "$work/web.log")"
    echo "ok: pedestal-web serves its page on 127.0.0.1:$port"
    kill "$server" && wait "$server" || true
    server=""
fi
in_root simblock remove --force --name "$block" >/dev/null || fail "simblock remove --name $block"
expect "the test's block is gone" "no" "$([ -e "$root/dev/shm/$block" ] && echo yes || echo no)"
echo "deb install test passed"
