#!/usr/bin/env bash
# Installs, as root on Debian, the packages the builds and tests need; does
# nothing when they are all there already.
set -euo pipefail

# With --products only what building the products natively needs (the demo).
# plchost publishes records over MQTT through libmosquitto; its test starts the broker.
if [ "${1:-}" = "--products" ]; then
  packages=(cmake make g++ gzip libmosquitto-dev)
  optional=()
else
  packages=(cmake make g++ gzip libmosquitto-dev mosquitto googletest libgtest-dev libgmock-dev
    libbenchmark-dev mingw-w64 wine wine64 clang-14 libclang-rt-14-dev clang-tidy clang-format
    time)
  # npm fetches the test peer's sources; a machine may have it from elsewhere.
  command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)
  # 32-bit wine runs the shipping build's tests; without it the test command
  # builds that build's products and runs the Windows tests in the 64-bit build.
  optional=(wine32)
fi

missing_of() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")
[ "${#missing[@]}" -eq 0 ] && [ "${#missing_optional[@]}" -eq 0 ] && exit 0

install() { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }

echo "Installing: ${missing[*]} ${missing_optional[*]}"
[ "${#optional[@]}" -eq 0 ] || dpkg --print-foreign-architectures | grep -qx i386 ||
  dpkg --add-architecture i386
# A mirror in the middle of a sync fails an index now and then: try once more,
# then go on with what was fetched (the installs below tell what is missing).
for attempt in 1 2; do
  apt-get update -qq && break
  echo "apt-get update failed (attempt $attempt)"
  if [ "$attempt" -lt 2 ]; then sleep 10; fi
done
[ "${#missing[@]}" -eq 0 ] || install "${missing[@]}"
[ "${#missing_optional[@]}" -eq 0 ] || install "${missing_optional[@]}" ||
  echo "Could not install ${missing_optional[*]}: going on without them"
