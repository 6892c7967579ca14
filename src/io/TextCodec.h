#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace io {

/** How a key file's bytes become text on screen: UTF-8 when the whole file is valid UTF-8, Windows-1252
 *  otherwise. Typed text is encoded back the same way, so a file keeps its encoding. */
enum class TextEncoding { Utf8, Windows1252 };

bool isValidUtf8(std::string_view bytes);
TextEncoding detectEncoding(std::string_view bytes);

QString decodeText(std::string_view bytes, TextEncoding encoding);
/** Text that may mix both encodings, as a comparison report of two files does: each valid UTF-8 sequence is read
 *  as UTF-8, any other byte as Windows-1252 (core::nextTextChar). */
QString decodeMixedText(std::string_view bytes);
/** Characters that Windows-1252 cannot hold become '?'. */
std::string encodeText(const QString& text, TextEncoding encoding);

} // namespace io
