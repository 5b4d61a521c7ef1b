#include "samples/Mp4Turn.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kelto::samples {

namespace {

using Bytes = std::vector<unsigned char>;

std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (24 - 8 * i));
    }
}

// Calls `found(start, end)` for each box of type `type` directly inside the
// bytes from `begin` to `end`; the body of a box starts 8 bytes in.
template <typename Found>
void EachBox(const Bytes& bytes, std::size_t begin, std::size_t end, std::string_view type,
             Found found) {
    for (std::size_t at = begin; at + 8 <= end;) {
        const std::size_t size = Read32(bytes, at);
        if (size < 8 || at + size > end) return;  // large or broken boxes: none of ours
        if (std::string_view(reinterpret_cast<const char*>(&bytes[at + 4]), 4) == type) {
            found(at, at + size);
        }
        at += size;
    }
}

}  // namespace

void TurnMp4PictureClockwise(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.eof() && in.fail()) throw std::runtime_error("cannot read " + path.string());
    bool turned = false;
    EachBox(bytes, 0, bytes.size(), "moov", [&](std::size_t moov, std::size_t moovEnd) {
        EachBox(bytes, moov + 8, moovEnd, "trak", [&](std::size_t trak, std::size_t trakEnd) {
            EachBox(bytes, trak + 8, trakEnd, "tkhd", [&](std::size_t tkhd, std::size_t end) {
                // Version 0 or 1 (wider times), then the times, track, reserved
                // words, layer, group and volume, then the nine-word matrix
                // and the picture's width and height.
                const std::size_t matrix = tkhd + 8 + (bytes[tkhd + 8] == 1 ? 36 : 24) + 16;
                if (matrix + 44 > end || Read32(bytes, matrix + 36) == 0) return;  // sound
                // 16.16 fixed point: a = 0, b = 1, c = -1, d = 0; w = 1 in 2.30.
                const std::uint32_t turn[9] = {0, 0x10000, 0, 0xffff0000, 0, 0, 0, 0, 0x40000000};
                for (std::size_t i = 0; i < 9; ++i) Write32(bytes, matrix + 4 * i, turn[i]);
                turned = true;
            });
        });
    });
    if (!turned) throw std::runtime_error(path.string() + " holds no picture track");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void SetMp4MajorBrand(const std::filesystem::path& path, std::string_view brand) {
    if (brand.size() != 4) throw std::invalid_argument("a brand is four characters");
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    char head[8] = {};
    if (!file.read(head, sizeof head) || std::string_view(head + 4, 4) != "ftyp") {
        throw std::runtime_error(path.string() + " does not start with a file type");
    }
    // The major brand, the first word of the file type's body.
    file.seekp(8);
    if (!file.write(brand.data(), 4) || !file.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace kelto::samples
