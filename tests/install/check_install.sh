#!/usr/bin/env bash
# Installs the build into a scratch prefix and packs it as a .deb, and checks that both hold
# the six programs, the manual pages and README.md in the usual places.
#   check_install.sh BUILD_DIRECTORY
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

expected=(
  bin/kodrun_voka1 bin/kodrun_voka2 bin/kodrun_voka3
  bin/kodrun_voka1_sim bin/kodrun_voka2_sim bin/kodrun_voka3_sim
  share/man/man1/kodrun_voka.1 share/man/man1/kodrun_voka1.1 share/man/man1/kodrun_voka3_sim.1
  share/doc/kodrun_voka/README.md
)

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
status=0
for file in "${expected[@]}"; do
  [[ -f "$scratch/prefix/$file" ]] || { echo "not installed: $file"; status=1; }
done
"$scratch/prefix/bin/kodrun_voka2_sim" titre | grep -q "LPT2:" || { echo "installed program does not run"; status=1; }

(cd "$scratch" && cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
listing=$(dpkg-deb -c "$deb")
for file in "${expected[@]}"; do
  grep -q "\./usr/$file\$" <<<"$listing" || { echo "not in $(basename "$deb"): /usr/$file"; status=1; }
done
[[ $status -eq 0 ]] && echo "installed and packed: ${#expected[@]} files checked in $(basename "$deb")"
exit $status
