// The RLE8 encoder and the bitmap file writer.
#include "bmp_writer.h"

#include <cstddef>
#include <fstream>
#include <stdexcept>

namespace framegen {
namespace {

constexpr int kMaxEncodedRun = 255;
constexpr int kMaxAbsoluteRun = 254;  // never 255: Wine's GDI mis-draws an absolute run of 255
constexpr int kMinAbsoluteRun = 3;    // 1 and 2 are escape codes, so shorter runs are encoded
constexpr std::uint32_t kDataOffset = 14 + 40 + 256 * 4;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Length of the run of equal pixels starting at row[x], at most kMaxEncodedRun.
int RunLength(const std::uint8_t* row, int x, int width) {
    int n = 1;
    while (x + n < width && n < kMaxEncodedRun && row[x + n] == row[x]) ++n;
    return n;
}

void EncodeRow(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
    int x = 0;
    while (x < width) {
        const int run = RunLength(row, x, width);
        if (run >= 2) {  // a repeat of two or more is cheapest as an encoded run
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        // Collect literal pixels until a repeat of two or more begins.
        int end = x + 1;
        while (end < width && end - x < kMaxAbsoluteRun && RunLength(row, end, width) < 2) ++end;
        const int count = end - x;
        if (count < kMinAbsoluteRun) {
            for (int i = x; i < end; ++i) {
                out.push_back(1);
                out.push_back(row[i]);
            }
        } else {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(count));
            out.insert(out.end(), row + x, row + end);
            if (count & 1) out.push_back(0);  // keep 16-bit alignment
        }
        x = end;
    }
}

}  // namespace

std::uint32_t PaletteColour(int index) {
    static constexpr std::uint32_t kLevel8[8] = {0, 32, 64, 96, 128, 160, 192, 255};
    static constexpr std::uint32_t kLevel4[4] = {0, 64, 128, 255};
    const std::uint32_t r = kLevel8[(index >> 5) & 7];
    const std::uint32_t g = kLevel8[(index >> 2) & 7];
    const std::uint32_t b = kLevel4[index & 3];
    return r << 16 | g << 8 | b;
}

std::vector<std::uint8_t> EncodeRle8(const std::vector<std::uint8_t>& pixels, int width, int height) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height)
        throw std::invalid_argument("EncodeRle8: pixel count does not match the size");
    std::vector<std::uint8_t> out;
    for (int row = 0; row < height; ++row) {  // row 0 is the bottom row
        EncodeRow(pixels.data() + static_cast<std::size_t>(height - 1 - row) * width, width, out);
        out.push_back(0);
        out.push_back(row + 1 < height ? 0 : 1);  // end of line, or end of bitmap after the top row
    }
    return out;
}

std::vector<std::uint8_t> MakeRle8Bitmap(const std::vector<std::uint8_t>& pixels, int width, int height) {
    const std::vector<std::uint8_t> data = EncodeRle8(pixels, width, height);
    std::vector<std::uint8_t> file;
    file.reserve(kDataOffset + data.size());
    // BITMAPFILEHEADER
    file.push_back('B');
    file.push_back('M');
    Put32(file, kDataOffset + static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);  // reserved
    Put32(file, kDataOffset);
    // BITMAPINFOHEADER
    Put32(file, 40);
    Put32(file, static_cast<std::uint32_t>(width));
    Put32(file, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(file, 1);                                   // planes
    Put16(file, 8);                                   // bits per pixel
    Put32(file, 1);                                   // BI_RLE8
    Put32(file, static_cast<std::uint32_t>(data.size()));
    Put32(file, 0);    // horizontal resolution
    Put32(file, 0);    // vertical resolution
    Put32(file, 256);  // colours used
    Put32(file, 0);    // colours important
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = PaletteColour(i);
        file.push_back(static_cast<std::uint8_t>(c & 0xFF));          // blue
        file.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));   // green
        file.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));  // red
        file.push_back(0);
    }
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace framegen
