#include "TextCodec.h"

#include "core/TextDecoding.h"

namespace io {

bool isValidUtf8(std::string_view bytes)
{
    return core::isValidUtf8(bytes);
}

TextEncoding detectEncoding(std::string_view bytes)
{
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

QString decodeText(std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char32_t c = core::windows1252Char(static_cast<unsigned char>(bytes[i]));
        text[static_cast<qsizetype>(i)] = QChar(static_cast<char16_t>(c));
    }
    return text;
}

QString decodeMixedText(std::string_view bytes)
{
    if (core::isValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    std::u32string characters;
    characters.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();)
        characters += core::nextTextChar(bytes, &i);
    return QString::fromStdU32String(characters);
}

std::string encodeText(const QString& text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return text.toUtf8().toStdString();
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char byte = '?';
        for (unsigned char k = 0x80; k <= 0x9F; ++k) {
            if (core::windows1252Char(k) == u) {
                byte = static_cast<char>(k);
                break;
            }
        }
        out += byte;
    }
    return out;
}

} // namespace io
