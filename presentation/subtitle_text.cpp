#include "presentation/subtitle_text.h"

#include <QStringDecoder>

namespace duvara {

namespace {

bool isValidUtf8(const std::string &bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
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
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (isValidUtf8(bytes))
        return normaliseLineBreaks(QString::fromUtf8(view));

    if (const char *codePage = CodePageForCharset(charset)) {
        // Code pages other than Latin-1 and UTF come from ICU; a Qt built without it has none.
        QStringDecoder decoder(codePage, QStringConverter::Flag::Stateless);
        if (decoder.isValid())
            return normaliseLineBreaks(decoder.decode(view));
    }
    return normaliseLineBreaks(QString::fromLatin1(view));
}

} // namespace duvara
