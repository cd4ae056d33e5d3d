#pragma once
// A minimal PNG writer (8-bit RGBA, one IDAT) for image fixtures of the tests and benchmarks.

#include <windows.h>

#include <zlib.h>

#include <vector>

namespace test_support {

// RGBA pixels given as 0xAARRGGBB (straight alpha).
inline std::vector<BYTE> MakePng(int w, int h, const std::vector<DWORD>& argb)
{
    std::vector<BYTE> raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) {
            DWORD p = argb[static_cast<size_t>(y * w + x)];
            raw.push_back(static_cast<BYTE>(p >> 16));
            raw.push_back(static_cast<BYTE>(p >> 8));
            raw.push_back(static_cast<BYTE>(p));
            raw.push_back(static_cast<BYTE>(p >> 24));
        }
    }
    uLongf zlen = compressBound(static_cast<uLong>(raw.size()));
    std::vector<BYTE> z(zlen);
    compress(z.data(), &zlen, raw.data(), static_cast<uLong>(raw.size()));
    z.resize(zlen);

    std::vector<BYTE> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto be32 = [](std::vector<BYTE>& v, uint32_t n) {
        v.push_back(static_cast<BYTE>(n >> 24));
        v.push_back(static_cast<BYTE>(n >> 16));
        v.push_back(static_cast<BYTE>(n >> 8));
        v.push_back(static_cast<BYTE>(n));
    };
    auto chunk = [&](const char* type, const std::vector<BYTE>& data) {
        be32(png, static_cast<uint32_t>(data.size()));
        std::vector<BYTE> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        png.insert(png.end(), body.begin(), body.end());
        be32(png, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    };
    std::vector<BYTE> ihdr;
    be32(ihdr, static_cast<uint32_t>(w));
    be32(ihdr, static_cast<uint32_t>(h));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunk("IHDR", ihdr);
    chunk("IDAT", z);
    chunk("IEND", {});
    return png;
}

} // namespace test_support
