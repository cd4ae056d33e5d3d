#!/usr/bin/env bash
# Cross-builds the third-party libraries from Debian's source packages for one architecture.
#   build-deps.sh ARCH PREFIX [SOURCES]     ARCH: i686 | x86_64
# Nothing of theirs enters the repository; the caller caches PREFIX by architecture and version. SOURCES keeps
# the downloaded source packages, so a second architecture does not fetch them again.
set -euo pipefail
arch=$1 prefix=$2 sources=${3:-}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
case $arch in
  i686) toolchain=$root/cmake/toolchain-mingw32.cmake ;;
  x86_64) toolchain=$root/cmake/toolchain-mingw64.cmake ;;
  *) echo "build-deps: unknown architecture '$arch'" >&2; exit 2 ;;
esac
work=$(mktemp -d /tmp/pavonel-deps.XXXXXX)
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)
[ -n "$sources" ] || sources=$work/sources
mkdir -p "$sources"

rm -rf "$prefix"; mkdir -p "$prefix/include"
(cd "$sources" && apt-get source -q --download-only curl libjsoncpp pugixml wxwidgets3.2 >/dev/null 2>&1)
cd "$work"

unpack() { # unpack the upstream tarball of a source package, print its folder
  local tarballs=("$sources/$1"_*.orig.tar.[gx]z)
  tar xf "${tarballs[-1]}"
  tar tf "${tarballs[-1]}" | sed -n '1s@/.*@@p'
}

# One section per function and datum: a program linked with --gc-sections (the release build) then keeps only
# what it calls, not whole objects. Changing these flags or the features below changes the cache key in setup.sh.
section_flags="-ffunction-sections -fdata-sections"

# Every library is configured in a fresh folder of this run: a build folder left inside a shared source tree
# (such as the system's googletest sources) would carry another architecture's settings into this one.
cmake_build() { # name, source folder, then extra cmake arguments
  local name=$1 src=$2; shift 2
  local log=$work/$name.log
  { cmake -S "$src" -B "$work/build-$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "-DCMAKE_C_FLAGS=$section_flags" \
      "-DCMAKE_CXX_FLAGS=$section_flags" "$@" &&
    cmake --build "$work/build-$name" -j"$jobs" &&
    cmake --install "$work/build-$name"; } >"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
}

echo "[deps $arch] curl"
cmake_build curl "$(unpack curl)" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_ZLIB=OFF \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DENABLE_MANUAL=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DCURL_CA_PATH=none -DCURL_CA_BUNDLE=none \
  -DCURL_DISABLE_COOKIES=ON -DCURL_DISABLE_MIME=ON -DCURL_DISABLE_NETRC=ON -DCURL_DISABLE_ALTSVC=ON \
  -DCURL_DISABLE_HSTS=ON -DCURL_DISABLE_DOH=ON -DCURL_DISABLE_GETOPTIONS=ON -DCURL_DISABLE_PROGRESS_METER=ON \
  -DCURL_DISABLE_HEADERS_API=ON

echo "[deps $arch] jsoncpp"
cmake_build jsoncpp "$(unpack libjsoncpp)" -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
  -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=ON

echo "[deps $arch] pugixml (wide-character mode)"
cmake_build pugixml "$(unpack pugixml)" -DPUGIXML_WCHAR_MODE=ON -DPUGIXML_BUILD_TESTS=OFF

echo "[deps $arch] googletest"
cmake_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF -DCMAKE_INSTALL_LIBDIR=lib

echo "[deps $arch] stb_image, nanosvg (headers)"
cp /usr/include/stb/stb_image.h "$prefix/include/"
wx_tar=("$sources"/wxwidgets3.2_*.orig.tar.xz)
tar xf "${wx_tar[-1]}" --wildcards '*/3rdparty/nanosvg/src/nanosvg.h' '*/3rdparty/nanosvg/src/nanosvgrast.h'
cp */3rdparty/nanosvg/src/nanosvg.h */3rdparty/nanosvg/src/nanosvgrast.h "$prefix/include/"
echo "[deps $arch] done"
