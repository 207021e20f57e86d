// The player's icon for its windows: the same pictures the desktop shows for its entry.
#pragma once

#include <QIcon>
#include <QString>

namespace duvara {

// The icon's sizes from share/icons/hicolor beside `programFolder` (../share/icons from bin/, in
// the build tree as once installed); the icon theme's org.duvara.Duvara when none is there. Null
// when neither has it.
QIcon ProgramIcon(const QString &programFolder);

} // namespace duvara
