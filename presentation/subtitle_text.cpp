#include "presentation/subtitle_text.h"

#include <QStringDecoder>

namespace duvara {

namespace {

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// Entries join their lines with LF CR; files written elsewhere use CR LF or a bare LF or CR.
QString normaliseLineBreaks(QString text)
{
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString decode(QByteArrayView view, int charset)
{
    if (isValidUtf8(view))
        return normaliseLineBreaks(QString::fromUtf8(view));

    if (const char *codePage = CodePageForCharset(charset)) {
        // Code pages other than Latin-1 and UTF come from ICU; a Qt built without it has none.
        QStringDecoder decoder(codePage, QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return normaliseLineBreaks(decoder.decode(view));
    }
    return normaliseLineBreaks(QString::fromLatin1(view));
}

} // namespace

const char *CodePageForCharset(int charset)
{
    switch (charset) {
    case 0:
        return "windows-1252";
    case 128:
        return "windows-932";
    case 129:
        return "windows-949";
    case 134:
        return "windows-936";
    case 136:
        return "windows-950";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 163:
        return "windows-1258";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 204:
        return "windows-1251";
    case 222:
        return "windows-874";
    case 238:
        return "windows-1250";
    default:
        // 130 (Johab) has no converter in Qt 6.4's ICU set; symbol and OEM sets have none either.
        return nullptr;
    }
}

QString DecodeSubtitleText(const std::string &bytes, int charset)
{
    return decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())), charset);
}

QString DecodeSubtitlePrefix(const std::string &bytes, int charset, std::size_t maxBytes)
{
    if (bytes.size() <= maxBytes)
        return DecodeSubtitleText(bytes, charset);
    std::size_t cut = maxBytes;
    // A UTF-8 sequence is not split: its continuation bytes go with it. (For a code-page text
    // this only moves the cut by a few bytes.)
    for (int back = 0;
         back < 3 && cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80; ++back)
        --cut;
    return decode(QByteArrayView(bytes.data(), qsizetype(cut)), charset) + QChar(0x2026);
}

} // namespace duvara
