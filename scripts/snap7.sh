#!/usr/bin/env bash
# Builds the Snap7 test peer under build/peers: fetches the npm package
# node-snap7 for the Snap7 sources it bundles (its node addon is never built),
# compiles them into libsnap7.a and links our peer programs (tests/peers) with
# it. Whatever is up to date is skipped, so running it again is cheap.
set -euo pipefail
cd "$(dirname "$0")/.."

version=1.0.9
peers="build/peers"
package="$peers/node-snap7"
snap7="$PWD/$package/deps/snap7/src"
library="$peers/libsnap7.a"

# True when $1 exists and is newer than every later argument.
up_to_date() {
  local target=$1 source
  shift
  [ -e "$target" ] || return 1
  for source in "$@"; do
    [ "$source" -nt "$target" ] && return 1
  done
  return 0
}

fetch_sources() {
  [ -f "$package/package.json" ] && return
  echo "snap7: fetching node-snap7@$version from npm"
  mkdir -p "$peers"
  (cd "$peers" && npm pack "node-snap7@$version" --silent >/dev/null)
  rm -rf "$package"
  mkdir -p "$package"
  tar -xzf "$peers/node-snap7-$version.tgz" -C "$package" --strip-components=1
  rm "$peers/node-snap7-$version.tgz"
}

# Third-party code: compiled as it is, without our warning flags.
build_library() {
  local sources=("$snap7"/sys/snap_{msgsock,sysutils,tcpsrvr,threads}.cpp
    "$snap7"/core/s7_{client,isotcp,partner,peer,server,text,micro_client}.cpp
    "$snap7"/lib/snap7_libmain.cpp)
  local objects=() stale=() source object
  mkdir -p "$peers/obj"
  for source in "${sources[@]}"; do
    object="$peers/obj/$(basename "${source%.cpp}").o"
    objects+=("$object")
    up_to_date "$object" "$source" || stale+=("$source")
  done
  if [ "${#stale[@]}" -gt 0 ]; then
    echo "snap7: compiling ${#stale[@]} Snap7 sources"
    # g++ -c puts each object, named after its source, into the current folder.
    (cd "$peers/obj" && printf '%s\n' "${stale[@]}" | xargs -P "$(nproc)" -n 1 \
      g++ -O2 -w -pthread -I"$snap7/sys" -I"$snap7/core" -I"$snap7/lib" -c)
  fi
  up_to_date "$library" "${objects[@]}" && return
  rm -f "$library"
  ar rcs "$library" "${objects[@]}"
}

# build_program NAME: tests/peers/NAME.cpp linked with Snap7 into build/peers/NAME.
build_program() {
  local program="$peers/$1"
  up_to_date "$program" "tests/peers/$1.cpp" tests/peers/*.h "$library" && return
  echo "snap7: building $program"
  g++ -std=c++17 -O2 -Wall -Wextra -pthread -Itests -isystem "$package/src" \
    "tests/peers/$1.cpp" "$library" -o "$program"
}

fetch_sources
build_library
build_program snap7_server
build_program snap7_read
echo "snap7: sources $snap7"
echo "snap7: library $library"
echo "snap7: server  $peers/snap7_server PORT"
echo "snap7: client  $peers/snap7_read HOST:PORT AREA DB START SIZE"
