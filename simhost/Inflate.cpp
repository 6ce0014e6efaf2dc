#include "simhost/Inflate.h"

#include <array>

namespace simhost {

namespace {

constexpr int kMaxBits = 15;

// A canonical Huffman code: how many codes of each length, and the symbols in
// code order.
struct Huffman {
    std::array<uint16_t, kMaxBits + 1> counts{};
    std::vector<uint16_t> symbols;
};

// Builds a code from per-symbol lengths (0: unused). Fails on an
// over-subscribed set; an incomplete one is allowed and fails only when an
// unused code turns up in the data.
bool BuildHuffman(const uint8_t* lengths, size_t count, Huffman* code) {
    code->counts.fill(0);
    for (size_t i = 0; i < count; ++i) ++code->counts[lengths[i]];
    int left = 1;
    for (int bits = 1; bits <= kMaxBits; ++bits) {
        left = left * 2 - code->counts[bits];
        if (left < 0) return false;
    }
    std::array<uint16_t, kMaxBits + 2> offsets{};
    for (int bits = 1; bits <= kMaxBits; ++bits) offsets[bits + 1] = offsets[bits] + code->counts[bits];
    code->symbols.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        if (lengths[i] != 0) code->symbols[offsets[lengths[i]]++] = static_cast<uint16_t>(i);
    }
    return true;
}

class Inflater {
public:
    Inflater(std::span<const uint8_t> in, size_t maxOutput) : in_(in), maxOutput_(maxOutput) {}

    bool Run(std::vector<uint8_t>* out, std::string* error) {
        out_ = out;
        for (bool last = false; !last;) {
            last = Bits(1) == 1;
            const uint32_t type = Bits(2);
            bool ok = false;
            if (type == 0) ok = Stored();
            else if (type == 1) ok = Fixed();
            else if (type == 2) ok = Dynamic();
            else why_ = "reserved deflate block type";
            if (!ok || failed_) {
                *error = why_.empty() ? "truncated deflate data" : why_;
                return false;
            }
        }
        return true;
    }

    // Bytes used so far, counting a partly used last byte.
    size_t Consumed() const { return position_; }

private:
    uint32_t Bits(int need) {
        uint64_t value = buffer_;
        while (count_ < need) {
            if (position_ >= in_.size()) {
                failed_ = true;
                return 0;
            }
            value |= uint64_t{in_[position_++]} << count_;
            count_ += 8;
        }
        buffer_ = static_cast<uint32_t>(value >> need);
        count_ -= need;
        return static_cast<uint32_t>(value & ((uint64_t{1} << need) - 1));
    }

    bool Fail(const char* why) {
        why_ = why;
        return false;
    }

    bool Emit(uint8_t byte) {
        if (out_->size() >= maxOutput_) return Fail("decompressed data larger than expected");
        out_->push_back(byte);
        return true;
    }

    bool Stored() {
        buffer_ = 0;
        count_ = 0;
        if (position_ + 4 > in_.size()) return Fail("truncated stored block");
        const unsigned length = in_[position_] | in_[position_ + 1] << 8;
        const unsigned check = in_[position_ + 2] | in_[position_ + 3] << 8;
        position_ += 4;
        if (length != (~check & 0xFFFF)) return Fail("stored block length does not match its complement");
        if (position_ + length > in_.size()) return Fail("truncated stored block");
        for (unsigned i = 0; i < length; ++i) {
            if (!Emit(in_[position_ + i])) return false;
        }
        position_ += length;
        return true;
    }

    // One symbol, read bit by bit from the canonical code.
    int Decode(const Huffman& code) {
        int first = 0;
        int index = 0;
        int value = 0;
        for (int bits = 1; bits <= kMaxBits; ++bits) {
            value |= static_cast<int>(Bits(1));
            if (failed_) return -1;
            const int count = code.counts[bits];
            if (value - count < first) return code.symbols[static_cast<size_t>(index + value - first)];
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        return -1;  // a code the table does not assign
    }

    bool Codes(const Huffman& lengthCode, const Huffman& distanceCode) {
        static constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                                       33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                                       1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
        static constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            const int symbol = Decode(lengthCode);
            if (symbol < 0) return failed_ ? false : Fail("invalid literal/length code");
            if (symbol < 256) {
                if (!Emit(static_cast<uint8_t>(symbol))) return false;
                continue;
            }
            if (symbol == 256) return true;
            const int lengthIndex = symbol - 257;
            if (lengthIndex >= 29) return Fail("invalid length symbol");
            const size_t length = kLengthBase[lengthIndex] + Bits(kLengthExtra[lengthIndex]);
            const int distanceIndex = Decode(distanceCode);
            if (distanceIndex < 0) return failed_ ? false : Fail("invalid distance code");
            if (distanceIndex >= 30) return Fail("invalid distance symbol");
            const size_t distance = kDistanceBase[distanceIndex] + Bits(kDistanceExtra[distanceIndex]);
            if (failed_) return false;
            if (distance > out_->size()) return Fail("distance reaches before the start of the data");
            for (size_t i = 0; i < length; ++i) {
                if (!Emit((*out_)[out_->size() - distance])) return false;
            }
        }
    }

    bool Fixed() {
        std::array<uint8_t, 288 + 30> lengths{};
        for (size_t i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        for (size_t i = 288; i < lengths.size(); ++i) lengths[i] = 5;
        Huffman lengthCode;
        Huffman distanceCode;
        BuildHuffman(lengths.data(), 288, &lengthCode);
        BuildHuffman(lengths.data() + 288, 30, &distanceCode);
        return Codes(lengthCode, distanceCode);
    }

    bool Dynamic() {
        static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        const uint32_t lengthCount = Bits(5) + 257;
        const uint32_t distanceCount = Bits(5) + 1;
        const uint32_t codeCount = Bits(4) + 4;
        if (failed_) return false;
        if (lengthCount > 286 || distanceCount > 30) return Fail("too many length or distance codes");
        std::array<uint8_t, 19> codeLengths{};
        for (uint32_t i = 0; i < codeCount; ++i) codeLengths[kOrder[i]] = static_cast<uint8_t>(Bits(3));
        Huffman lengthsCode;
        if (failed_) return false;
        if (!BuildHuffman(codeLengths.data(), codeLengths.size(), &lengthsCode))
            return Fail("over-subscribed code length code");
        std::array<uint8_t, 286 + 30> lengths{};
        for (uint32_t i = 0; i < lengthCount + distanceCount;) {
            const int symbol = Decode(lengthsCode);
            if (symbol < 0) return failed_ ? false : Fail("invalid code length code");
            if (symbol < 16) {
                lengths[i++] = static_cast<uint8_t>(symbol);
                continue;
            }
            uint8_t repeated = 0;
            uint32_t times = 0;
            if (symbol == 16) {
                if (i == 0) return Fail("repeat with no previous length");
                repeated = lengths[i - 1];
                times = 3 + Bits(2);
            } else if (symbol == 17) {
                times = 3 + Bits(3);
            } else {
                times = 11 + Bits(7);
            }
            if (failed_) return false;
            if (i + times > lengthCount + distanceCount) return Fail("code lengths overrun their count");
            while (times-- > 0) lengths[i++] = repeated;
        }
        if (lengths[256] == 0) return Fail("no end-of-block code");
        Huffman lengthCode;
        Huffman distanceCode;
        if (!BuildHuffman(lengths.data(), lengthCount, &lengthCode) ||
            !BuildHuffman(lengths.data() + lengthCount, distanceCount, &distanceCode))
            return Fail("over-subscribed literal/length or distance code");
        return Codes(lengthCode, distanceCode);
    }

    std::span<const uint8_t> in_;
    size_t maxOutput_;
    std::vector<uint8_t>* out_ = nullptr;
    size_t position_ = 0;
    uint32_t buffer_ = 0;
    int count_ = 0;
    bool failed_ = false;
    std::string why_;
};

}  // namespace

uint32_t Adler32(std::span<const uint8_t> data) {
    uint32_t a = 1;
    uint32_t b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

std::optional<std::vector<uint8_t>> ZlibDecompress(std::span<const uint8_t> stream, size_t maxOutput,
                                                   std::string* error) {
    if (stream.size() < 6) {
        *error = "zlib stream too short";
        return std::nullopt;
    }
    const unsigned method = stream[0];
    const unsigned flags = stream[1];
    if ((method & 0x0F) != 8 || (method >> 4) > 7 || (method << 8 | flags) % 31 != 0) {
        *error = "not a deflate zlib stream";
        return std::nullopt;
    }
    if (flags & 0x20) {
        *error = "zlib stream needs a preset dictionary";
        return std::nullopt;
    }
    std::vector<uint8_t> out;
    Inflater inflater(stream.subspan(2), maxOutput);
    if (!inflater.Run(&out, error)) return std::nullopt;
    const size_t end = 2 + inflater.Consumed();
    if (stream.size() < end + 4) {
        *error = "zlib stream lacks its checksum";
        return std::nullopt;
    }
    const uint32_t expected = uint32_t{stream[end]} << 24 | uint32_t{stream[end + 1]} << 16 |
                              uint32_t{stream[end + 2]} << 8 | stream[end + 3];
    if (Adler32(out) != expected) {
        *error = "zlib checksum mismatch";
        return std::nullopt;
    }
    return out;
}

}  // namespace simhost
