// Bounds-checked reads from untrusted bytes (module files, resources). A read
// past the end fails softly: it yields 0, sets `ok` false and parks the
// cursor at the end, so a parser checks `ok` once after a group of reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace simhost {

struct ByteCursor {
    std::span<const uint8_t> bytes;
    size_t at = 0;
    bool ok = true;

    explicit ByteCursor(std::span<const uint8_t> b, size_t start = 0) : bytes(b), at(start) {
        if (start > b.size()) Fail();
    }

    bool Has(size_t count) const { return ok && at <= bytes.size() && count <= bytes.size() - at; }
    uint8_t U8() { return Has(1) ? bytes[at++] : static_cast<uint8_t>(Fail()); }
    uint16_t U16() {
        if (!Has(2)) return static_cast<uint16_t>(Fail());
        const uint16_t v = static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return v;
    }
    uint32_t U32() {
        const uint32_t lo = U16();
        return lo | uint32_t{U16()} << 16;
    }
    uint64_t U64() {
        const uint64_t lo = U32();
        return lo | uint64_t{U32()} << 32;
    }
    uint32_t BigU32() {
        if (!Has(4)) return Fail();
        const uint32_t v = uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
                           uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
        at += 4;
        return v;
    }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }

    // The next `count` bytes; empty (and failed) when they are not all there.
    std::span<const uint8_t> Take(size_t count) {
        if (!Has(count)) {
            Fail();
            return {};
        }
        const auto part = bytes.subspan(at, count);
        at += count;
        return part;
    }
    void Skip(size_t count) { Take(count); }
    void Seek(size_t position) {
        if (position > bytes.size()) Fail();
        else at = position;
    }
    // Rounds the position up to a multiple of 4 counted from `origin`.
    void AlignTo4(size_t origin = 0) {
        const size_t offset = at - origin;
        Seek(origin + ((offset + 3) & ~size_t{3}));
    }
    // UTF-16 text up to its 0 terminator (consumed), at most `limit` units.
    std::u16string Utf16z(size_t limit = 65536) {
        std::u16string text;
        for (uint16_t c = U16(); ok && c != 0; c = U16()) {
            if (text.size() == limit) {
                Fail();
                break;
            }
            text.push_back(static_cast<char16_t>(c));
        }
        return text;
    }

    uint32_t Fail() {
        ok = false;
        at = bytes.size();
        return 0;
    }
};

// UTF-16 (surrogate pairs joined) to UTF-8; an unpaired surrogate becomes U+FFFD.
inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace simhost
