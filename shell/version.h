// The program's version, from the one place it is set: the CMake project's VERSION.
#pragma once

#include <QString>

namespace duvara {

// "1.0.3": major, minor and build.
QString ProgramVersion();
// The number the update check compares: major * 10000 + minor * 100 + build.
int ProgramVersionNumber();
// The main window's caption: the program's name with major and minor version, "Duvara 1.0".
QString ProgramCaption();

} // namespace duvara
