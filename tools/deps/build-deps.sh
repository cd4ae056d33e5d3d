#!/usr/bin/env bash
# Cross-builds the third-party libraries from Debian's source packages into PREFIX ($1).
# Nothing of theirs enters the repository; the caller caches PREFIX by version.
set -euo pipefail
prefix=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
toolchain=$root/cmake/toolchain-mingw32.cmake
work=$(mktemp -d /tmp/pavonel-deps.XXXXXX)
trap 'rm -rf "$work"' EXIT
jobs=$(nproc)

rm -rf "$prefix"; mkdir -p "$prefix/include"
cd "$work"
apt-get source -q --download-only curl libjsoncpp pugixml wxwidgets3.2 >/dev/null 2>&1

unpack() { # unpack the upstream tarball of a source package, print its folder
  local tarballs=("$1"_*.orig.tar.[gx]z)
  tar xf "${tarballs[0]}"
  tar tf "${tarballs[0]}" | sed -n '1s@/.*@@p' 
}

cmake_build() { # folder, then extra cmake arguments
  local src=$1; shift
  local log=$work/build.log
  { cmake -S "$src" -B "$src/_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" &&
    cmake --build "$src/_build" -j"$jobs" &&
    cmake --install "$src/_build"; } >"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
}

echo "[deps] curl"
curl_dir=$(unpack curl)
cmake_build "$curl_dir" -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_ZLIB=OFF \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DENABLE_MANUAL=OFF \
  -DCURL_DISABLE_LDAP=ON -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DCURL_CA_PATH=none -DCURL_CA_BUNDLE=none

echo "[deps] jsoncpp"
json_dir=$(unpack libjsoncpp)
cmake_build "$json_dir" -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF -DBUILD_STATIC_LIBS=ON \
  -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=ON

echo "[deps] pugixml (wide-character mode)"
pugi_dir=$(unpack pugixml)
cmake_build "$pugi_dir" -DPUGIXML_WCHAR_MODE=ON -DPUGIXML_BUILD_TESTS=OFF

echo "[deps] googletest"
cmake_build /usr/src/googletest -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF -DCMAKE_INSTALL_LIBDIR=lib

echo "[deps] stb_image, nanosvg (headers)"
cp /usr/include/stb/stb_image.h "$prefix/include/"
wx_tar=(wxwidgets3.2_*.orig.tar.xz)
tar xf "${wx_tar[0]}" --wildcards '*/3rdparty/nanosvg/src/nanosvg.h' '*/3rdparty/nanosvg/src/nanosvgrast.h'
cp */3rdparty/nanosvg/src/nanosvg.h */3rdparty/nanosvg/src/nanosvgrast.h "$prefix/include/"
echo "[deps] done"
