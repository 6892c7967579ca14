#pragma once

#include <QByteArray>
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
/** The text decodeText reads from `bytes`, appended to `out` in UTF-8: for a big text, half the memory of the same
 *  text in UTF-16, and for valid UTF-8 a copy of the bytes. A QByteArray grows by copying: reserve first. */
void appendAsUtf8(QByteArray& out, std::string_view bytes, TextEncoding encoding);
/** Text that may mix both encodings, as a comparison report of two files does: each valid UTF-8 sequence is read
 *  as UTF-8, any other byte as Windows-1252 (core::nextTextChar). */
QString decodeMixedText(std::string_view bytes);
/** Characters that Windows-1252 cannot hold become '?'. */
std::string encodeText(const QString& text, TextEncoding encoding);

/** The text with each CRLF and each lone CR made LF, in one pass (QString::replace with a text of another length
 *  moves the rest of the string for every thousand matches, which grows with the square of a large text). */
QString withLfLineEnds(QStringView text);
/** The text with each LF and each paragraph separator (what a text box's selection has between lines) made CRLF. */
QString withCrlfLineEnds(QStringView text);

} // namespace io
