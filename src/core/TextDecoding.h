#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace core {

/** The character a Windows-1252 byte stands for. The five bytes the code page leaves out (0x81, 0x8D, 0x8F, 0x90,
 *  0x9D) stand for the control character of the same number. */
char32_t windows1252Char(unsigned char byte);

/** The length of the valid UTF-8 sequence that starts `bytes`: 1 for ASCII, up to 4; 0 when the first byte does not
 *  start one (a stray continuation byte, an overlong form, a surrogate, a sequence cut short). */
std::size_t utf8SequenceLength(std::string_view bytes);

/** The position of the first byte at or after `from` that is not ASCII, or the size: the run of ASCII bytes
 *  there, looked at eight at a time. */
std::size_t asciiRunEnd(std::string_view bytes, std::size_t from);

/** Writes character `c` (below U+10000) as UTF-8 to `out`, which has room for 3 bytes; returns the bytes written. */
std::size_t encodeUtf8(char32_t c, char* out);

/** True when every byte belongs to a valid UTF-8 sequence. */
bool isValidUtf8(std::string_view bytes);

/**
 * The character at `bytes[*pos]`, moving `*pos` past it: a valid UTF-8 sequence is read as UTF-8, any other byte
 * as its Windows-1252 character. Text put together from several files (a comparison report) keeps each file's
 * bytes; this reads a UTF-8 file's and a Windows-1252 file's text alike, as long as the Windows-1252 text does not
 * happen to hold a valid UTF-8 sequence (such as "Ã©"), which is rare in key files.
 */
char32_t nextTextChar(std::string_view bytes, std::size_t* pos);

/** The text of `bytes` as UTF-8, each character read as nextTextChar reads it. */
std::string textAsUtf8(std::string_view bytes);

} // namespace core
