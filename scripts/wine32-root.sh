#!/usr/bin/env bash
# Sets up 32-bit wine without installing it as packages: Debian's i386 files,
# unpacked into a private root that qemu's user-mode emulation takes as its
# library prefix (QEMU_LD_PREFIX). It serves machines whose kernel runs no
# 32-bit programs and machines where wine32 cannot be installed (a mirror in
# the middle of a sync can leave the i386 package lists unusable). Does nothing
# when the root is complete for the installed wine64's version.
#
# The root is $MOX_WINE32_ROOT (default /opt/mox-wine32); its mox/wine starts
# the 32-bit loader (scripts/wine-env.sh puts it first on PATH).
set -euo pipefail

root="${MOX_WINE32_ROOT:-/opt/mox-wine32}"
version=$(dpkg-query -W -f='${Version}' wine64)
# What the stamp holds: the wine version and how this script lays out the root
# (raised when the layout changes, so that an older root is made anew).
layout=2
stamp="$root/.complete"
[ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version layout $layout" ] && exit 0

# wine's 32-bit side must be the installed 64-bit side's version; the
# libraries it links are taken as the package lists have them.
packages=("wine32:i386=$version" "libwine:i386=$version" "wine32-preloader:i386=$version"
  libc6:i386 libgcc-s1:i386 zlib1g:i386 libfreetype6:i386 libpng16-16:i386 libbrotli1:i386
  libfontconfig1:i386 libexpat1:i386)

downloads=$(mktemp -d)
staging="$root.new"
trap 'rm -rf "$downloads" "$staging"' EXIT
# apt's download user must be able to write there.
chmod 755 "$downloads"
echo "wine32-root: fetching ${#packages[@]} i386 packages of wine $version"
(cd "$downloads" && apt-get download -qq "${packages[@]}" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
[ "$(find "$downloads" -name '*.deb' | wc -l)" -eq "${#packages[@]}" ] || {
  echo "wine32-root: could not fetch every package" >&2
  exit 1
}

rm -rf "$staging"
mkdir -p "$staging"
for deb in "$downloads"/*.deb; do dpkg-deb -x "$deb" "$staging"; done

# wine looks for its 64-bit loader beside the 32-bit one, and the 64-bit
# loader for its own files beside itself: both from the system.
cp /usr/lib/wine/wine64 "$staging/usr/lib/wine/"
mkdir -p "$staging/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$staging/usr/lib/x86_64-linux-gnu/wine"

# zlib1.dll of the mingw zlib package, marked as a wine builtin (what the
# libwine package does when it is installed).
zlib=/usr/i686-w64-mingw32/lib/zlib1.dll
{
  head -c 64 "$zlib"
  printf 'Wine builtin DLL'
  head -c 16 /dev/zero
  tail -c +97 "$zlib"
} >"$staging/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"

# The preloader keeps the lower part of the address space free for Windows
# programs. Its ELF headers lie in a segment of their own at 0x08048000, far
# below its code at 0x7d400000; qemu reserves the whole span between a
# program's lowest and highest segment, which would leave 32-bit wine with
# little more than the first 128 MB: a 20 MB DLL then fails to load with "not
# enough memory" after a few loads. Nothing reads that segment once the program
# runs, so its entry (the first program header) is made unused.
preloader="$staging/usr/lib/wine/wine-preloader"
target=$(readlink -f "$preloader")
first_header=$(od -An -tx4 -j52 -N12 "$target" | tr -s ' ')
if [ "$first_header" = " 00000001 00000000 08048000" ]; then
  printf '\0\0\0\0' | dd of="$target" bs=1 seek=52 conv=notrunc status=none
else
  echo "wine32-root: note: the preloader's segments are not the expected ones, left as they are" >&2
fi

# The emulated dynamic loader reads the root's own library cache.
echo 'include /etc/ld.so.conf.d/*.conf' >"$staging/etc/ld.so.conf"
ldconfig -r "$staging"

mkdir -p "$staging/mox"
cat >"$staging/mox/wine" <<EOF
#!/bin/sh
exec "$root/usr/lib/wine/wine" "\$@"
EOF
chmod 755 "$staging/mox/wine"

echo "$version layout $layout" >"$staging/.complete"
rm -rf "$root"
mv "$staging" "$root"
echo "wine32-root: $root ready"
