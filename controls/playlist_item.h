#pragma once

#include <QDataStream>
#include <QMetaType>
#include <QString>

namespace duvara {

// The record behind each playlist row.
struct TPlayListItem
{
    QString FileName; // the name without its directory
    QString Directory; // the directory with its trailing separator; empty when the name had none

    // The directory, a separator where it lacks one, then the name.
    QString path() const;
};

// Rows dragged within the list carry their data as Qt writes it to a stream.
inline QDataStream &operator<<(QDataStream &out, const TPlayListItem &item)
{
    return out << item.FileName << item.Directory;
}
inline QDataStream &operator>>(QDataStream &in, TPlayListItem &item)
{
    return in >> item.FileName >> item.Directory;
}

// Splits a file name as the playlist stores it.
TPlayListItem MakePlayListItem(const QString &name);

// A row of the playlist as the playlist file keeps it between runs.
struct PlaylistRow
{
    TPlayListItem item;
    QString duration; // the text shown beside the name; empty while it is still being measured

    bool operator==(const PlaylistRow &other) const
    {
        return item.FileName == other.item.FileName && item.Directory == other.item.Directory
            && duration == other.duration;
    }
};

} // namespace duvara

Q_DECLARE_METATYPE(duvara::TPlayListItem)
