#include "presentation/font_choices.h"

#include <QFontDatabase>
#include <QSet>

#include <algorithm>

namespace duvara {

int CharsetRowOf(int charset)
{
    const auto found
        = std::find_if(kCharsetRows.begin(), kCharsetRows.end(),
                       [charset](const CharsetRow &row) { return row.charset == charset; });
    return found == kCharsetRows.end() ? 0 : int(found - kCharsetRows.begin());
}

int FontSizeRowOf(int points)
{
    const auto found = std::find(kFontSizeRows.begin(), kFontSizeRows.end(), points);
    return found == kFontSizeRows.end() ? -1 : int(found - kFontSizeRows.begin());
}

namespace {

// "Nimbus Sans [urw]" is the family of one foundry; the name a user knows and a settings file
// keeps is "Nimbus Sans".
QString withoutFoundry(const QString &family)
{
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    if (bracket > 0 && family.endsWith(QLatin1Char(']')))
        return family.left(bracket);
    return family;
}

} // namespace

QStringList ScalableFontFamilies()
{
    QStringList scalable;
    QSet<QString> listed;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        if (QFontDatabase::isPrivateFamily(family) || !QFontDatabase::isSmoothlyScalable(family))
            continue;
        const QString name = withoutFoundry(family);
        if (!listed.contains(name)) {
            listed.insert(name);
            scalable << name;
        }
    }
    return scalable;
}

bool WritesItsName(const QString &family)
{
    const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
    return systems.contains(QFontDatabase::Latin) && !systems.contains(QFontDatabase::Symbol);
}

} // namespace duvara
