#pragma once

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

// Splits a file name as the playlist stores it.
TPlayListItem MakePlayListItem(const QString &name);

} // namespace duvara

Q_DECLARE_METATYPE(duvara::TPlayListItem)
