// Strict RLE8 bitmap decoding: every length is checked before a byte is read or written.
#include "frames/rle8_decoder.h"

#include <cstddef>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kPaletteEntries = 256;
constexpr std::size_t kPaletteEntrySize = 4;

// RLE8 escape codes, following a zero count byte.
constexpr std::uint8_t kEndOfLine = 0;
constexpr std::uint8_t kEndOfBitmap = 1;
constexpr std::uint8_t kDelta = 2;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

struct Header {
    int width = 0;
    int height = 0;
    std::uint32_t colours = 0;
    std::uint32_t dataOffset = 0;
};

DecodeError ReadHeader(std::span<const std::uint8_t> file, Header& h) {
    if (file.size() < kHeadersSize) return DecodeError::Truncated;
    if (file[0] != 'B' || file[1] != 'M') return DecodeError::BadHeader;
    if (U32(file, 2) != file.size()) return DecodeError::Truncated;
    if (U32(file, 14) != kInfoHeaderSize) return DecodeError::BadHeader;

    const auto width = static_cast<std::int32_t>(U32(file, 18));
    const auto height = static_cast<std::int32_t>(U32(file, 22));  // negative (top-down) is invalid for RLE
    if (width < 1 || width > kMaxBitmapSide || height < 1 || height > kMaxBitmapSide)
        return DecodeError::BadHeader;
    if (U16(file, 26) != 1 || U16(file, 28) != 8 || U32(file, 30) != kCompressionRle8)
        return DecodeError::BadHeader;

    const std::uint32_t used = U32(file, 46);
    if (used > kPaletteEntries) return DecodeError::BadHeader;
    h.colours = used == 0 ? kPaletteEntries : used;

    h.dataOffset = U32(file, 10);
    if (h.dataOffset < kHeadersSize + kPaletteEntrySize * h.colours || h.dataOffset > file.size())
        return DecodeError::BadHeader;
    if (U32(file, 34) != file.size() - h.dataOffset) return DecodeError::BadHeader;

    h.width = width;
    h.height = height;
    return DecodeError::None;
}

// Writes `count` copies of `value` at the start of `restOfRow`. Runs are short and many, so it
// stores 16 bytes at a time and may spill past the run, though never past the row: later runs or
// the end-of-line clearing overwrite the spill.
void FillRun(std::uint8_t value, std::span<std::uint8_t> restOfRow, std::size_t count) {
    constexpr std::size_t kChunk = 16;
    std::uint8_t* at = restOfRow.data();
    if ((count + kChunk - 1) / kChunk * kChunk > restOfRow.size()) {
        std::memset(at, value, count);
        return;
    }
    const std::uint64_t pattern = 0x0101010101010101ULL * value;
    for (std::uint8_t* const end = at + count; at < end; at += kChunk) {
        std::memcpy(at, &pattern, sizeof pattern);
        std::memcpy(at + sizeof pattern, &pattern, sizeof pattern);
    }
}

// Decodes the run-length data into rows stored top row first; `row` counts from the bottom.
// Every pixel is written, whatever `out.pixels` held: what the data skips becomes index 0.
DecodeError DecodeRuns(std::span<const std::uint8_t> data, Picture& out) {
    const int width = out.width;
    const int height = out.height;
    std::size_t at = 0;
    int x = 0;
    int row = 0;
    auto rowStart = [&] { return out.pixels.data() + static_cast<std::size_t>(height - 1 - row) * width; };
    std::uint8_t* line = rowStart();
    auto clearRestOfRow = [&] {
        if (row < height) std::memset(line + x, 0, static_cast<std::size_t>(width - x));
    };
    // Rows `first` up to (not including) `end`, counted from the bottom; they lie top row first.
    auto clearRows = [&](int first, int end) {
        if (first >= end) return;
        std::memset(out.pixels.data() + static_cast<std::size_t>(height - end) * width, 0,
                    static_cast<std::size_t>(end - first) * width);
    };

    while (data.size() - at >= 2) {
        const int count = data[at];
        const std::uint8_t code = data[at + 1];
        at += 2;
        if (count > 0) {
            if (row >= height) return DecodeError::RunPastImage;
            if (x + count > width) return DecodeError::RunPastRow;
            FillRun(code, {line + x, static_cast<std::size_t>(width - x)}, static_cast<std::size_t>(count));
            x += count;
        } else if (code == kEndOfLine) {
            clearRestOfRow();
            x = 0;
            if (++row < height) line = rowStart();
        } else if (code == kEndOfBitmap) {
            clearRestOfRow();
            clearRows(row + 1, height);
            return DecodeError::None;
        } else if (code == kDelta) {
            if (data.size() - at < 2) return DecodeError::MissingEndOfBitmap;
            const int dx = data[at];
            const int dy = data[at + 1];
            at += 2;
            if (x + dx > width || row + dy >= height) return DecodeError::DeltaOutsideImage;
            if (dy == 0) {
                std::memset(line + x, 0, static_cast<std::size_t>(dx));
                x += dx;
                continue;
            }
            clearRestOfRow();
            clearRows(row + 1, row + dy);
            row += dy;
            line = rowStart();
            x += dx;
            std::memset(line, 0, static_cast<std::size_t>(x));
        } else {
            const std::size_t padded = code + (code & 1U);  // absolute runs keep 16-bit alignment
            if (data.size() - at < padded) return DecodeError::MissingEndOfBitmap;
            if (row >= height) return DecodeError::RunPastImage;
            if (x + code > width) return DecodeError::RunPastRow;
            std::memcpy(line + x, data.data() + at, code);
            x += code;
            at += padded;
        }
    }
    return DecodeError::MissingEndOfBitmap;
}

}  // namespace

const char* DescribeDecodeError(DecodeError error) {
    switch (error) {
        case DecodeError::None: return "no error";
        case DecodeError::Truncated: return "file shorter than its header says";
        case DecodeError::BadHeader: return "not an 8-bit RLE8 bitmap with the expected header";
        case DecodeError::RunPastRow: return "run past the end of a row";
        case DecodeError::RunPastImage: return "run past the top of the image";
        case DecodeError::DeltaOutsideImage: return "delta outside the image";
        case DecodeError::MissingEndOfBitmap: return "data ends without end of bitmap";
    }
    return "unknown error";
}

DecodeError DecodeRle8Bitmap(std::span<const std::uint8_t> file, Picture& out) {
    Header h;
    if (const DecodeError e = ReadHeader(file, h); e != DecodeError::None) {
        out = Picture{};
        return e;
    }

    Picture decoded;
    decoded.pixels = std::move(out.pixels);  // decoding again into the same picture reuses its memory
    out = Picture{};
    decoded.width = h.width;
    decoded.height = h.height;
    for (std::uint32_t i = 0; i < h.colours; ++i) {
        const std::size_t entry = kHeadersSize + kPaletteEntrySize * i;  // stored blue, green, red, 0
        decoded.palette[i] = static_cast<std::uint32_t>(file[entry + 2]) << 16 |
                             static_cast<std::uint32_t>(file[entry + 1]) << 8 | file[entry];
    }
    decoded.pixels.resize(static_cast<std::size_t>(h.width) * h.height);

    if (const DecodeError e = DecodeRuns(file.subspan(h.dataOffset), decoded); e != DecodeError::None) return e;
    out = std::move(decoded);
    return DecodeError::None;
}
