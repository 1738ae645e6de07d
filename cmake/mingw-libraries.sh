#!/usr/bin/env bash
# The libraries the Windows build of ccsim-batch reads archives with.
# Debian packages none of them for MinGW but zlib (libz-mingw-w64-dev), so
# they are built here, static, from Debian's own source packages (with
# Debian's security patches): liblzma (xz-utils; 7z's own compression) and
# libbz2, then libarchive. Zip, tar (gzip, bzip2, xz), RAR and 7z are read,
# as on Linux; zstd is not.
#
# usage: mingw-libraries.sh PREFIX   (installs PREFIX/include, PREFIX/lib;
# does nothing when PREFIX/lib/libarchive.a is there already)
set -euo pipefail
prefix=$(realpath -m "$1")
[ -f "$prefix/lib/libarchive.a" ] && [ -f "$prefix/lib/libbz2.a" ] && exit 0

for need in dpkg-source:dpkg-dev make:make apt-get:apt; do
  command -v "${need%%:*}" >/dev/null 2>&1 ||
    { echo "${need#*:} is missing: apt-get install ${need#*:}"; exit 1; }
done
[ -f /usr/x86_64-w64-mingw32/include/zlib.h ] ||
  { echo "zlib for MinGW is missing: apt-get install libz-mingw-w64-dev"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Package lists of its own, for sources only: the system's are left alone.
mkdir -p "$work/parts" "$work/lists/partial" "$work/archives/partial"
for suite in "debian bookworm bookworm-updates" "debian-security bookworm-security"; do
  set -- $suite
  printf 'Types: deb-src\nURIs: http://deb.debian.org/%s\nSuites: %s\nComponents: main\n' "$1" "${*:2}"
  printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n\n'
done >"$work/parts/debian-src.sources"
apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache::Archives=$work/archives"
  -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
echo "Windows libraries: fetching Debian's sources of xz-utils, bzip2 and libarchive"
"${apt[@]}" update
(cd "$work" && "${apt[@]}" source --download-only xz-utils bzip2 libarchive >/dev/null)

# Unpacks a source package (apt checked it against the signed archive) with
# Debian's patches applied. The patches touch configure.ac and Makefile.am
# for tests and packaging only; the shipped configure and Makefile.in build
# the libraries, so they are marked newer than what they are made from, and
# make does not ask for automake.
unpack() {
  (cd "$work" && dpkg-source -q -x "$1"_*.dsc "$2" >/dev/null 2>&1)
  (cd "$work/$2" && find . -name aclocal.m4 -exec touch {} + && sleep 1 &&
    find . \( -name configure -o -name Makefile.in -o -name config.h.in \) -exec touch {} +)
}
# Runs a build step, its chatter (and the libraries' own warnings) kept in a
# log that is shown if the step fails.
quietly() { "$@" >>"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }; }
host=(--host=x86_64-w64-mingw32 --prefix="$prefix" --enable-static --disable-shared
  CC=x86_64-w64-mingw32-gcc-posix CFLAGS=-O2)

echo "Windows libraries: building liblzma"
unpack xz-utils xz
cd "$work/xz"
quietly ./configure "${host[@]}" --disable-xz --disable-xzdec --disable-lzmadec \
  --disable-lzmainfo --disable-lzma-links --disable-scripts --disable-doc --disable-nls
quietly make -j"$(nproc)" -C src/liblzma
quietly make -C src/liblzma install

echo "Windows libraries: building libbz2"
unpack bzip2 bzip2
cd "$work/bzip2"
quietly make libbz2.a CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
  RANLIB=x86_64-w64-mingw32-ranlib CFLAGS="-O2 -D_FILE_OFFSET_BITS=64"
install -m 644 bzlib.h "$prefix/include/"
install -m 644 libbz2.a "$prefix/lib/"

echo "Windows libraries: building libarchive (a minute or two)"
unpack libarchive libarchive
cd "$work/libarchive"
quietly ./configure "${host[@]}" CPPFLAGS="-I$prefix/include -DLZMA_API_STATIC" \
  LDFLAGS="-L$prefix/lib" --disable-bsdtar --disable-bsdcpio --disable-bsdcat \
  --without-zstd --without-lz4 --without-libb2 --without-xml2 --without-expat --without-openssl \
  --without-nettle --without-mbedtls --without-cng --without-iconv --disable-acl --disable-xattr
quietly make -j"$(nproc)" libarchive.la
quietly make install-libLTLIBRARIES install-includeHEADERS
for lib in LZMA BZLIB; do
  grep -q "^#define HAVE_${lib}_H 1" config.h ||
    { echo "Windows libraries: libarchive did not find $lib"; exit 1; }
done
echo "Windows libraries: installed in $prefix"
