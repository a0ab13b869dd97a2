#!/usr/bin/env bash
# Installs the Debian packages the build needs, or, when not root, prints the
# one apt-get line to run. Usage: install-deps.sh [core|windows|cluster|all]
set -euo pipefail

# ffmpeg: the movie tests make their clips with it.
core=(g++ cmake ninja-build make libgtest-dev libgmock-dev libbenchmark-dev
      libopenimageio-dev openimageio-tools clang clang-format libclang-rt-14-dev binutils
      pkg-config libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg)
windows=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine64 wine)
# Slurm and its authentication daemon, for the render-farm check (tests/cluster).
cluster=(slurm-wlm munge)

case "${1:-all}" in
  core) wanted=("${core[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  cluster) wanted=("${cluster[@]}") ;;
  all) wanted=("${core[@]}" "${windows[@]}" "${cluster[@]}") ;;
  *) echo "install-deps.sh: unknown set '$1' (core, windows, cluster or all)" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
