#!/usr/bin/env bash
# Makes TARBALL, a minimal Debian 12 root with its package lists, unless it
# exists: the first run downloads it (about a minute and a half), later runs
# unpack it in seconds. Uses the mirrors the host's apt uses.
#   bootstrap_root.sh TARBALL
set -euo pipefail

tarball=$1
[ -f "$tarball" ] && exit 0

mirror_of() { # SUITE: the host's mirror for SUITE/main, if any
    apt-cache policy 2>/dev/null | awk -v s="$1/main" '$3 == s && $2 ~ /^https?:/ { print $2; exit }'
}
mirror=$(mirror_of bookworm)
mirror=${mirror:-http://deb.debian.org/debian}

dir=$tarball.d
rm -rf "$dir"
debootstrap --variant=minbase bookworm "$dir" "$mirror"
{
    echo "deb $mirror bookworm main"
    for suite in bookworm-updates bookworm-security; do
        url=$(mirror_of "$suite")
        if [ -n "$url" ]; then
            echo "deb $url $suite main"
        fi
    done
} >"$dir/etc/apt/sources.list"
cp /etc/resolv.conf "$dir/etc/resolv.conf"
chroot "$dir" apt-get update -q
chroot "$dir" apt-get clean
tar -C "$dir" -cf "$tarball.tmp" .
mv "$tarball.tmp" "$tarball"
rm -rf "$dir"
