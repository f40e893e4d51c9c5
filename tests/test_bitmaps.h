// Small RLE8 bitmap files built around given pixel data, for the decoder's and the sinks' tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A bitmap file of `width` x `height` around the RLE8 `data`, with a grey-ramp colour table
// (entry i is 0xiiiiii).
inline std::vector<std::uint8_t> Bitmap(int width, int height, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> file(54 + 1024);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size() + data.size()));
    put32(10, 1078);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 8;
    put32(30, 1);
    put32(34, static_cast<std::uint32_t>(data.size()));
    put32(46, 256);
    for (std::size_t i = 0; i < 256; ++i) file[54 + 4 * i] = file[55 + 4 * i] = file[56 + 4 * i] = static_cast<std::uint8_t>(i);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}
