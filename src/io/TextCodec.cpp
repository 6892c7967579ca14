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

void appendAsUtf8(QByteArray& out, std::string_view bytes, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8) {
        if (core::isValidUtf8(bytes))
            out.append(bytes.data(), static_cast<qsizetype>(bytes.size()));
        else // its invalid bytes become replacement characters, as on screen
            out.append(decodeText(bytes, encoding).toUtf8());
        return;
    }
    // A byte is a character, and the ASCII ones are their own UTF-8: runs of them are copied, and only the others
    // are written out as UTF-8. Nothing passes through UTF-16.
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = core::asciiRunEnd(bytes, at);
        out.append(bytes.data() + at, static_cast<qsizetype>(end - at));
        if (end == bytes.size())
            break;
        char encoded[3];
        const std::size_t length
            = core::encodeUtf8(core::windows1252Char(static_cast<unsigned char>(bytes[end])), encoded);
        out.append(encoded, static_cast<qsizetype>(length));
        at = end + 1;
    }
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

QString withLfLineEnds(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* to = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('\r'))
            *to++ = text[i];
        else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // the LF that follows stands for both
        else
            *to++ = QLatin1Char('\n');
    }
    out.truncate(to - out.constData());
    return out;
}

QString withCrlfLineEnds(QStringView text)
{
    qsizetype ends = 0;
    for (const QChar c : text)
        ends += c == QLatin1Char('\n') || c == QChar::ParagraphSeparator ? 1 : 0;
    QString out(text.size() + ends, Qt::Uninitialized);
    QChar* to = out.data();
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator) {
            *to++ = QLatin1Char('\r');
            *to++ = QLatin1Char('\n');
        } else {
            *to++ = c;
        }
    }
    return out;
}

} // namespace io
