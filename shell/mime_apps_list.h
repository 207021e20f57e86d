// Edits the text of a freedesktop mimeapps.list: which program opens a MIME type by default, and
// which programs are offered for it.
//
// The file belongs to the user and to every program that binds file types, so an edit changes
// only the entries it is about. Every other line (other groups, other keys, comments, blank lines,
// line endings, even bytes that are not UTF-8) comes out exactly as it went in. QSettings cannot
// be used: it rewrites the whole file, quotes keys holding "/" and turns ";" lists into its own
// form.
#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <vector>

namespace duvara {

inline constexpr char kDefaultApplications[] = "Default Applications";
inline constexpr char kAddedAssociations[] = "Added Associations";

class MimeAppsList
{
public:
    explicit MimeAppsList(const QByteArray &text);

    QByteArray text() const;

    // The desktop ids listed for a MIME type in a group, in order. A key given twice in a group
    // counts by its last line, as the desktop's own readers take it.
    QByteArrayList desktopIds(const QByteArray &group, const QByteArray &mimeType) const;

    // Lists `desktopId` first for the MIME type, once; the other programs stay behind it in their
    // order, so they take over again once it is removed.
    void putFirst(const QByteArray &group, const QByteArray &mimeType, const QByteArray &desktopId);
    // Lists `desktopId` for the MIME type, at the end when it is not there yet.
    void add(const QByteArray &group, const QByteArray &mimeType, const QByteArray &desktopId);
    // Takes `desktopId` out of the MIME type's list; a list left empty loses its line, and a group
    // left with nothing in it loses its heading.
    void remove(const QByteArray &group, const QByteArray &mimeType, const QByteArray &desktopId);

private:
    struct Line
    {
        QByteArray content; // without the line ending
        QByteArray ending; // "\n", "\r\n" or nothing (the last line of a file without one)
    };

    enum class Placement { First, Last };
    void place(const QByteArray &group, const QByteArray &mimeType, const QByteArray &desktopId,
               Placement placement);
    void insertKey(const QByteArray &group, const QByteArray &key, const QByteArray &value);
    void setValue(std::size_t line, const QByteArrayList &ids);
    // The lines holding `key` in every section headed `group`.
    std::vector<std::size_t> keyLines(const QByteArray &group, const QByteArray &key) const;
    std::vector<std::size_t> headingLines(const QByteArray &group) const;
    QByteArray lineEnding() const;

    std::vector<Line> m_lines;
};

} // namespace duvara
