// The settings file: an INI file read and written through typed values. Integers are written in
// decimal and read in decimal or, with a "0x" prefix, in hexadecimal; Booleans are written as 1
// and 0 and read as integers, any non-zero one being true. A missing key, or an integer or
// Boolean that does not read as an integer, gives the caller's default.
//
// The file is read and rewritten line by line, as the classic profile functions do: a value
// that changes is replaced where it stands, a new key goes to the end of its section and a new
// section to the end of the file; every other line (comments, keys of other programs or
// versions) is written back byte for byte. QSettings is not used for the file: it drops
// comments, quotes and escapes values in its own way, and (Qt 6.4) puts a file cut short by a
// failed write (a full disk) in place of the old one and reports success.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <stdexcept>
#include <vector>

namespace duvara {

// A settings or playlist file that could not be read or written; the message names the file.
class SettingsFileError : public std::runtime_error
{
public:
    explicit SettingsFileError(const QString &message)
        : std::runtime_error(message.toStdString())
    { }
};

// The text of an INI value as an integer: optional blanks, an optional sign, then decimal digits
// or "0x" and up to eight hexadecimal digits (0xFFFFFFFF reads as -1, as a 32-bit value would).
// Nothing for anything else, and for decimal numbers beyond 32 bits.
std::optional<int> IniInteger(const QString &text);

// The lines of an INI text. Sections and keys are found without regard to case; the first of
// two equal keys counts.
class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(const QByteArray &bytes);

    // The value's text with its surrounding blanks (and one pair of quotes around it) removed.
    std::optional<QString> value(const char *section, const char *key) const;
    // Line breaks in `value` are dropped: a value is one line.
    void setValue(const char *section, const char *key, const QString &value);
    // The same as bytes, not decoded: for values that must come back byte for byte (file names).
    std::optional<QByteArray> rawValue(const char *section, const char *key) const;
    void setRawValue(const char *section, const char *key, const QByteArray &value);
    QByteArray bytes() const;

private:
    struct Place
    {
        int sectionLine = -1; // the section's header; -1 when there is no such section
        int keyLine = -1; // the key's line; -1 when the section lacks it
        int lastLine = -1; // the section's last line that is not blank
    };
    Place find(const char *section, const char *key) const;

    std::vector<QByteArray> m_lines; // without their line ends
    QByteArray m_lineEnd = "\n"; // the file's own (CR LF for a file from Windows)
    bool m_byteOrderMark = false; // kept for an editor that began the file with one
};

class SettingsStore
{
public:
    // Reads the file at `path`. A missing file reads as an empty one; a file that exists but
    // cannot be read raises SettingsFileError.
    explicit SettingsStore(const QString &path);
    // The file at `path` as read already.
    SettingsStore(const QString &path, const IniDocument &document)
        : m_path(path)
        , m_document(document)
    { }

    const QString &path() const { return m_path; }

    int ReadInteger(const char *section, const char *key, int defaultValue) const;
    bool ReadBool(const char *section, const char *key, bool defaultValue) const;
    QString ReadString(const char *section, const char *key, const QString &defaultValue) const;

    void WriteInteger(const char *section, const char *key, int value);
    void WriteBool(const char *section, const char *key, bool value);
    void WriteString(const char *section, const char *key, const QString &value);
    // A value's bytes as they stand in the file (file names that are not UTF-8 come back whole).
    std::optional<QByteArray> ReadBytes(const char *section, const char *key) const;
    void WriteBytes(const char *section, const char *key, const QByteArray &value);

    // Puts every value written so far into the file at once (its folder is made first when
    // missing): the file on disk is the old one or the new one, never a mixture. Raises
    // SettingsFileError "Unable to write to <path>" when the file cannot be written; the old
    // file then stays as it was.
    void Commit();

private:
    QString m_path;
    IniDocument m_document;
};

// Writes `bytes` to `path` atomically (a temporary file beside it, flushed to the disk, renamed
// over it), making the folder first when missing. Raises SettingsFileError "Unable to write to
// <path>" on failure, leaving an old file as it was.
void WriteSettingsFile(const QString &path, const QByteArray &bytes);

// Every byte of the file at `path`; nothing when there is no such file. Raises SettingsFileError
// for a file that exists but cannot be read.
std::optional<QByteArray> ReadSettingsFile(const QString &path);

// Renames a file that could not be read to the first free name beside it (`path`.unreadable,
// then with a number), so that the next save does not write over it. Gives the new name, or
// nothing when it could not be moved.
QString PutFileAside(const QString &path);

} // namespace duvara
