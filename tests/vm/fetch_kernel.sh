#!/usr/bin/env bash
# Puts a Debian cloud kernel (small, quick to boot under emulation, with I/O-port permission
# support and no parport driver) at DESTINATION, without installing it. Kept between runs.
#   fetch_kernel.sh DESTINATION
set -euo pipefail
destination=$1
[[ -s "$destination" ]] && exit 0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
package=$(apt-cache depends linux-image-cloud-amd64 | awk '/Depends: linux-image-/{print $2; exit}')
[[ -n "$package" ]] || { echo "no linux-image-cloud-amd64 in the package lists (apt-get update?)" >&2; exit 1; }
(cd "$work" && apt-get download "$package" >/dev/null 2>&1)
dpkg-deb --fsys-tarfile "$work"/*.deb | tar -x -C "$work" --wildcards './boot/vmlinuz-*'
mkdir -p "$(dirname "$destination")"
cp "$work"/boot/vmlinuz-* "$destination"
