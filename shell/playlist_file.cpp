#include "shell/playlist_file.h"

#include "shell/settings_store.h"

namespace duvara {

namespace {

const QByteArray kLineEnd("\r\n");
constexpr char16_t kFirstStrayByte = 0xDC80;
constexpr char16_t kLastStrayByte = 0xDCFF;

// The length of the UTF-8 sequence at `at` and its code point; 0 when the bytes there are not a
// well-formed sequence (overlong forms and surrogates included).
int utf8Sequence(const QByteArray &bytes, qsizetype at, char32_t &codePoint)
{
    const auto lead = static_cast<unsigned char>(bytes.at(at));
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes.at(at + i));
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (codePoint < smallest || codePoint > 0x10FFFF
        || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

void appendUtf8(QByteArray &bytes, char32_t codePoint)
{
    if (codePoint < 0x80) {
        bytes += char(codePoint);
    } else if (codePoint < 0x800) {
        bytes += char(0xC0 | (codePoint >> 6));
        bytes += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes += char(0xE0 | (codePoint >> 12));
        bytes += char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += char(0x80 | (codePoint & 0x3F));
    } else {
        bytes += char(0xF0 | (codePoint >> 18));
        bytes += char(0x80 | ((codePoint >> 12) & 0x3F));
        bytes += char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += char(0x80 | (codePoint & 0x3F));
    }
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

} // namespace

QString FileNameText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        char32_t codePoint = 0;
        const int length = utf8Sequence(bytes, at, codePoint);
        if (length == 0) {
            text += QChar(char16_t(kFirstStrayByte - 0x80 + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(char16_t(codePoint));
        }
        at += length;
    }
    return text;
}

QByteArray FileNameBytes(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype at = 0; at < name.size(); ++at) {
        const char16_t unit = name.at(at).unicode();
        if (QChar::isHighSurrogate(unit) && at + 1 < name.size()
            && name.at(at + 1).isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, name.at(at + 1).unicode()));
            ++at;
        } else if (unit >= kFirstStrayByte && unit <= kLastStrayByte) {
            bytes += char(unit - kFirstStrayByte + 0x80);
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

PlaylistFileContents ParsePlaylistFile(const QByteArray &bytes)
{
    PlaylistFileContents contents;
    if (bytes.isEmpty())
        return contents;
    QList<QByteArray> lines = bytes.split('\n');
    // What follows the last line end is a line only when it holds something.
    if (lines.constLast().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const auto count = IniInteger(QString::fromLatin1(lines.value(0)));
    if (!count || *count < 0) {
        contents.unreadable = QStringLiteral("its first line is not a number of rows");
        return contents;
    }
    contents.promisedRows = *count;
    // A row needs its folder and name; the duration can be measured again. A row without a
    // name is no file (earlier versions wrote such rows back after reading a short file).
    int taken = 0;
    for (qsizetype line = 1; taken < *count && line + 1 < lines.size(); line += 3, ++taken) {
        if (lines.at(line + 1).isEmpty())
            continue;
        const QString duration
            = line + 2 < lines.size() ? FileNameText(lines.at(line + 2)) : QString();
        contents.rows.append(
            {{FileNameText(lines.at(line + 1)), FileNameText(lines.at(line))}, duration});
    }
    contents.heldRows = taken;
    return contents;
}

QByteArray PlaylistFileBytes(const QList<PlaylistRow> &rows, QStringList *leftOut)
{
    QByteArray body;
    int written = 0;
    for (const PlaylistRow &row : rows) {
        if (holdsLineBreak(row.item.Directory) || holdsLineBreak(row.item.FileName)
            || holdsLineBreak(row.duration)) {
            if (leftOut)
                leftOut->append(row.item.path());
            continue;
        }
        body += FileNameBytes(row.item.Directory) + kLineEnd;
        body += FileNameBytes(row.item.FileName) + kLineEnd;
        body += FileNameBytes(row.duration) + kLineEnd;
        ++written;
    }
    return QByteArray::number(written) + kLineEnd + body;
}

void WritePlaylistFile(const QString &path, const QList<PlaylistRow> &rows)
{
    QStringList leftOut;
    WriteSettingsFile(path, PlaylistFileBytes(rows, &leftOut));
    if (!leftOut.isEmpty())
        throw SettingsFileError(
            QStringLiteral("The playlist file %1 could not keep %2, whose name holds a line break")
                .arg(path, leftOut.join(QStringLiteral(", "))));
}

} // namespace duvara
