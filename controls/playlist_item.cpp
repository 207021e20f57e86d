#include "controls/playlist_item.h"

namespace duvara {

TPlayListItem MakePlayListItem(const QString &name)
{
    const auto slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {name, QString()};
    return {name.mid(slash + 1), name.left(slash + 1)};
}

QString TPlayListItem::path() const
{
    if (Directory.isEmpty() || Directory.endsWith(QLatin1Char('/')))
        return Directory + FileName;
    return Directory + QLatin1Char('/') + FileName;
}

} // namespace duvara
