#include "shell/settings_store.h"

#include "subtitles/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace duvara {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool isBlank(const QByteArray &line)
{
    return line.trimmed().isEmpty();
}

// The section a header line opens; nothing for any other line.
std::optional<QByteArray> sectionOf(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype end = text.indexOf(']');
    return text.mid(1, end < 0 ? -1 : end - 1).trimmed();
}

// The key and value of a "key=value" line; nothing for comments and lines without "=".
std::optional<std::pair<QByteArray, QByteArray>> entryOf(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.isEmpty() || text.startsWith(';') || text.startsWith('#') || text.startsWith('['))
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return std::pair {text.left(equals).trimmed(), text.mid(equals + 1).trimmed()};
}

bool sameName(const QByteArray &name, const char *wanted)
{
    return name.compare(QByteArray(wanted), Qt::CaseInsensitive) == 0;
}

QByteArray unquoted(const QByteArray &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
        && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// Blanks at either end would be lost to the reader's trimming, and quotes around the whole to
// its unquoting: such a value is written in quotes of its own.
QByteArray written(const QByteArray &value)
{
    QByteArray bytes = value;
    bytes.replace('\r', QByteArray());
    bytes.replace('\n', QByteArray());
    if (bytes != bytes.trimmed() || unquoted(bytes) != bytes)
        bytes = '"' + bytes + '"';
    return bytes;
}

} // namespace

std::optional<int> IniInteger(const QString &text)
{
    const QString number = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < number.size() && (number[at] == QLatin1Char('-') || number[at] == QLatin1Char('+'))) {
        negative = number[at] == QLatin1Char('-');
        ++at;
    }
    const QStringView digits = QStringView(number).mid(at);
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView hex = digits.mid(2);
        if (hex.isEmpty() || hex.size() > 8)
            return std::nullopt;
        quint32 value = 0;
        for (const QChar c : hex) {
            const int digit = QStringLiteral("0123456789abcdef").indexOf(c.toLower());
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + quint32(digit);
        }
        return static_cast<int>(negative ? 0u - value : value);
    }
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

IniDocument::IniDocument(const QByteArray &bytes)
{
    QByteArray text = bytes;
    m_byteOrderMark = text.startsWith(kByteOrderMark);
    if (m_byteOrderMark)
        text.remove(0, kByteOrderMark.size());
    const qsizetype firstBreak = text.indexOf('\n');
    if (firstBreak > 0 && text.at(firstBreak - 1) == '\r')
        m_lineEnd = "\r\n";
    m_lines.reserve(size_t(text.count('\n')) + 1);
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        m_lines.push_back(line);
    }
    // The split leaves an empty piece after the last line end.
    if (!m_lines.empty() && m_lines.back().isEmpty() && text.endsWith('\n'))
        m_lines.pop_back();
    if (text.isEmpty())
        m_lines.clear();
}

IniDocument::Place IniDocument::find(const char *section, const char *key) const
{
    Place place;
    for (int line = 0; line < int(m_lines.size()); ++line) {
        if (const auto name = sectionOf(m_lines[size_t(line)])) {
            // The first section of that name is the one read and written.
            if (place.sectionLine >= 0)
                break;
            if (sameName(*name, section))
                place.sectionLine = place.lastLine = line;
            continue;
        }
        if (place.sectionLine < 0)
            continue;
        if (!isBlank(m_lines[size_t(line)]))
            place.lastLine = line;
        const auto entry = entryOf(m_lines[size_t(line)]);
        if (place.keyLine < 0 && entry && sameName(entry->first, key))
            place.keyLine = line;
    }
    return place;
}

std::optional<QString> IniDocument::value(const char *section, const char *key) const
{
    const auto bytes = rawValue(section, key);
    if (!bytes)
        return std::nullopt;
    return QString::fromUtf8(*bytes);
}

std::optional<QByteArray> IniDocument::rawValue(const char *section, const char *key) const
{
    const Place place = find(section, key);
    if (place.keyLine < 0)
        return std::nullopt;
    return unquoted(entryOf(m_lines[size_t(place.keyLine)])->second);
}

void IniDocument::setValue(const char *section, const char *key, const QString &value)
{
    setRawValue(section, key, value.toUtf8());
}

void IniDocument::setRawValue(const char *section, const char *key, const QByteArray &value)
{
    const QByteArray line = QByteArray(key) + '=' + written(value);
    const Place place = find(section, key);
    if (place.keyLine >= 0) {
        m_lines[size_t(place.keyLine)] = line;
    } else if (place.sectionLine >= 0) {
        m_lines.insert(m_lines.begin() + place.lastLine + 1, line);
    } else {
        if (!m_lines.empty() && !isBlank(m_lines.back()))
            m_lines.emplace_back();
        m_lines.push_back('[' + QByteArray(section) + ']');
        m_lines.push_back(line);
    }
}

QByteArray IniDocument::bytes() const
{
    QByteArray text = m_byteOrderMark ? kByteOrderMark : QByteArray();
    for (const QByteArray &line : m_lines)
        text += line + m_lineEnd;
    return text;
}

std::optional<QByteArray> ReadSettingsFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw SettingsFileError(
            QStringLiteral("Unable to read %1: %2")
                .arg(QDir::toNativeSeparators(path),
                     info.isDir() ? QStringLiteral("it is a folder") : file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw SettingsFileError(QStringLiteral("Unable to read %1: %2")
                                    .arg(QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

void WriteSettingsFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)
        || !WriteFileAtomically(QFile::encodeName(path).toStdString(),
                                std::string_view(bytes.constData(), size_t(bytes.size()))))
        throw SettingsFileError(QStringLiteral("Unable to write to %1").arg(path));
}

SettingsStore::SettingsStore(const QString &path)
    : m_path(path)
{
    if (const auto bytes = ReadSettingsFile(path))
        m_document = IniDocument(*bytes);
}

int SettingsStore::ReadInteger(const char *section, const char *key, int defaultValue) const
{
    const auto text = m_document.value(section, key);
    if (!text)
        return defaultValue;
    return IniInteger(*text).value_or(defaultValue);
}

bool SettingsStore::ReadBool(const char *section, const char *key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QString SettingsStore::ReadString(const char *section, const char *key,
                                  const QString &defaultValue) const
{
    return m_document.value(section, key).value_or(defaultValue);
}

void SettingsStore::WriteInteger(const char *section, const char *key, int value)
{
    m_document.setValue(section, key, QString::number(value));
}

void SettingsStore::WriteBool(const char *section, const char *key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

void SettingsStore::WriteString(const char *section, const char *key, const QString &value)
{
    m_document.setValue(section, key, value);
}

std::optional<QByteArray> SettingsStore::ReadBytes(const char *section, const char *key) const
{
    return m_document.rawValue(section, key);
}

void SettingsStore::WriteBytes(const char *section, const char *key, const QByteArray &value)
{
    m_document.setRawValue(section, key, value);
}

void SettingsStore::Commit()
{
    WriteSettingsFile(m_path, m_document.bytes());
}

QString PutFileAside(const QString &path)
{
    const QString base = path + QStringLiteral(".unreadable");
    for (int number = 1; number < 1000; ++number) {
        const QString name = number == 1 ? base : base + QLatin1Char('-') + QString::number(number);
        if (QFileInfo::exists(name) || QFileInfo(name).isSymLink())
            continue;
        return QFile::rename(path, name) ? name : QString();
    }
    return QString();
}

} // namespace duvara
