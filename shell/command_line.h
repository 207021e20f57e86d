// What the player's command line asks for. Read before the application object exists, so that
// --help and --version answer without a display.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace duvara {

struct CommandLine
{
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    bool hasFile = false;
    std::string file; // the film to open, when hasFile
    std::string error; // what was wrong, for Error
};

// `arguments` are the words after the program's name. Options come first; "--" ends them, so a
// film whose name begins with "-" can still be given. Only the first film is taken.
CommandLine ParseCommandLine(const std::vector<std::string_view> &arguments);

// The text --help prints.
extern const char kPlayerUsage[];

} // namespace duvara
