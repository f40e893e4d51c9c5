// Strict RLE8 bitmap reading: every header field and length is checked before it is used.
#include "frames/rle8_decoder.h"

#include "frames/pixel_sinks.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kPaletteEntries = 256;
constexpr std::size_t kPaletteEntrySize = 4;

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Everything but the check of the pixel data.
DecodeError ReadHeaders(std::span<const std::uint8_t> file, Picture& out) {
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
    const std::uint32_t colours = used == 0 ? kPaletteEntries : used;

    const std::uint32_t dataOffset = U32(file, 10);
    if (dataOffset < kHeadersSize + kPaletteEntrySize * colours || dataOffset > file.size())
        return DecodeError::BadHeader;
    if (U32(file, 34) != file.size() - dataOffset) return DecodeError::BadHeader;

    out.width = width;
    out.height = height;
    for (std::uint32_t i = 0; i < colours; ++i) {
        const std::size_t entry = kHeadersSize + kPaletteEntrySize * i;  // stored blue, green, red, 0
        out.palette[i] = static_cast<std::uint32_t>(file[entry + 2]) << 16 |
                         static_cast<std::uint32_t>(file[entry + 1]) << 8 | file[entry];
    }
    out.runs = file.subspan(dataOffset);
    return DecodeError::None;
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

DecodeError ReadRle8Bitmap(std::span<const std::uint8_t> file, Picture& out) {
    Picture read;
    DecodeError error = ReadHeaders(file, read);
    if (error == DecodeError::None) {
        DiscardingSink check;
        error = DecodeRle8Runs(read.runs, {read.width, read.height}, check);
    }
    out = error == DecodeError::None ? read : Picture{};
    return error;
}

DecodeError DecodeRle8Bitmap(std::span<const std::uint8_t> file, IndexedImage& out) {
    Picture picture;
    if (const DecodeError e = ReadHeaders(file, picture); e != DecodeError::None) {
        out = IndexedImage{};
        return e;
    }
    // Decoding again into the same image reuses its memory; every pixel is written.
    out.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    IndexSink sink{out.pixels.data(), picture.width, {picture.width, picture.height}};
    if (const DecodeError e = DecodeRle8Runs(picture.runs, {picture.width, picture.height}, sink);
        e != DecodeError::None) {
        out = IndexedImage{};
        return e;
    }
    out.width = picture.width;
    out.height = picture.height;
    out.palette = picture.palette;
    return DecodeError::None;
}
