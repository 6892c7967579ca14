#include "TextDecoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace core {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 marks the five bytes that have no character.
constexpr std::array<char16_t, 32> kHighControls{0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
    0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

// The character of the valid sequence of `length` bytes at the start of `bytes`.
char32_t utf8Char(std::string_view bytes, std::size_t length)
{
    static constexpr unsigned char kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(bytes[0]) & kLeadMask[length];
    for (std::size_t k = 1; k < length; ++k)
        c = (c << 6) | (static_cast<unsigned char>(bytes[k]) & 0x3F);
    return c;
}

} // namespace

char32_t windows1252Char(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
        return kHighControls[byte - 0x80];
    return byte;
}

std::size_t utf8SequenceLength(std::string_view bytes)
{
    if (bytes.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (bytes.size() < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80)
            return 0;
    }
    const char32_t c = utf8Char(bytes, length);
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    return length;
}

std::size_t asciiRunEnd(std::string_view bytes, std::size_t from)
{
    // Eight ASCII bytes at a time: nearly all of a key file is ASCII.
    for (std::uint64_t word = 0; from + 8 <= bytes.size(); from += 8) {
        std::memcpy(&word, bytes.data() + from, 8);
        if ((word & 0x8080808080808080ULL) != 0)
            break;
    }
    while (from < bytes.size() && static_cast<unsigned char>(bytes[from]) < 0x80)
        ++from;
    return from;
}

std::size_t encodeUtf8(char32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    out[0] = static_cast<char>(0xE0 | (c >> 12));
    out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
}

bool isValidUtf8(std::string_view bytes)
{
    for (std::size_t i = asciiRunEnd(bytes, 0); i < bytes.size(); i = asciiRunEnd(bytes, i)) {
        const std::size_t length = utf8SequenceLength(bytes.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

char32_t nextTextChar(std::string_view bytes, std::size_t* pos)
{
    const std::string_view rest = bytes.substr(*pos);
    const std::size_t length = utf8SequenceLength(rest);
    if (length == 0) {
        ++*pos;
        return windows1252Char(static_cast<unsigned char>(rest[0]));
    }
    *pos += length;
    return utf8Char(rest, length);
}

std::string textAsUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t start = pos;
        const char32_t c = nextTextChar(bytes, &pos);
        if (c < 0x80 || pos - start > 1) {
            text.append(bytes.substr(start, pos - start)); // ASCII or a valid UTF-8 sequence: already UTF-8
        } else {
            char encoded[3];
            text.append(encoded, encodeUtf8(c, encoded));
        }
    }
    return text;
}

} // namespace core
