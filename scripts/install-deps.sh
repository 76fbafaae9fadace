#!/usr/bin/env bash
# Installs, as root on Debian, the packages the builds and tests need; does
# nothing when they are all there already.
set -euo pipefail

# With --products only what building the products natively needs (the demo).
if [ "${1:-}" = "--products" ]; then
  packages=(cmake make g++ gzip)
else
  packages=(cmake make g++ gzip googletest libgtest-dev libgmock-dev libbenchmark-dev
    mingw-w64 wine wine32 wine64 clang-14 libclang-rt-14-dev clang-tidy clang-format time)
  # npm fetches the test peer's sources; a machine may have it from elsewhere.
  command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
[ "${1:-}" = "--products" ] || dpkg --print-foreign-architectures | grep -qx i386 ||
  dpkg --add-architecture i386
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
