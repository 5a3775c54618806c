// Small image files made on the spot for the image loading tests: an uncompressed PNG (stored
// deflate blocks) and a 32-bit BMP, both from 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace uitest {

inline uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xFFFFFFFFu;
}

inline void PutBE32(std::string& out, uint32_t v) {
    out += char(v >> 24);
    out += char(v >> 16);
    out += char(v >> 8);
    out += char(v);
}

inline void PutLE32(std::string& out, uint32_t v) {
    out += char(v);
    out += char(v >> 8);
    out += char(v >> 16);
    out += char(v >> 24);
}

inline void PutLE16(std::string& out, uint16_t v) {
    out += char(v);
    out += char(v >> 8);
}

inline std::string PngChunk(const std::string& type, const std::string& data) {
    std::string chunk;
    PutBE32(chunk, uint32_t(data.size()));
    chunk += type + data;
    PutBE32(chunk, Crc32(type + data));
    return chunk;
}

// A width x height RGBA PNG of the given pixels (row by row, 0xAARRGGBB).
inline std::string MakePng(int width, int height, const std::vector<uint32_t>& argb) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += char(0); // filter: none
        for (int x = 0; x < width; ++x) {
            uint32_t p = argb[size_t(y) * width + x];
            raw += char(p >> 16);
            raw += char(p >> 8);
            raw += char(p);
            raw += char(p >> 24);
        }
    }
    std::string z = "\x78\x01";
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z += char(last ? 1 : 0);
        PutLE16(z, uint16_t(n));
        PutLE16(z, uint16_t(~n));
        z += raw.substr(pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(z, (b << 16) | a);
    std::string ihdr;
    PutBE32(ihdr, uint32_t(width));
    PutBE32(ihdr, uint32_t(height));
    ihdr += std::string("\x08\x06\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) + PngChunk("IDAT", z) +
           PngChunk("IEND", "");
}

inline std::string MakeSolidPng(int width, int height, uint32_t argb) {
    return MakePng(width, height, std::vector<uint32_t>(size_t(width) * height, argb));
}

// A 32-bit BMP header claiming width x height, followed by `pixelBytes` bytes of pixels.
inline std::string MakeBmpHeader(int width, int height, size_t pixelBytes) {
    std::string bmp = "BM";
    PutLE32(bmp, uint32_t(54 + pixelBytes));
    PutLE32(bmp, 0);
    PutLE32(bmp, 54);
    PutLE32(bmp, 40);
    PutLE32(bmp, uint32_t(width));
    PutLE32(bmp, uint32_t(height));
    PutLE16(bmp, 1);
    PutLE16(bmp, 32);
    PutLE32(bmp, 0);
    PutLE32(bmp, uint32_t(pixelBytes));
    PutLE32(bmp, 2835);
    PutLE32(bmp, 2835);
    PutLE32(bmp, 0);
    PutLE32(bmp, 0);
    return bmp;
}

} // namespace uitest
