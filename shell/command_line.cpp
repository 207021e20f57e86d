#include "shell/command_line.h"

namespace duvara {

const char kPlayerUsage[] = "Usage: duvara [OPTION]... [--] [FILM]\n"
                            "Plays FILM (or starts with the last playlist) with two subtitle "
                            "tracks over the picture.\n"
                            "A player already running takes FILM over and this start ends.\n"
                            "A folder plays the films in it and in its folders, in name order.\n"
                            "\n"
                            "  -h, --help     print this help and exit\n"
                            "      --version  print the version and exit\n"
                            "      --         what follows is a film, even if it begins with -\n";

CommandLine ParseCommandLine(const std::vector<std::string_view> &arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (std::string_view word : arguments) {
        const bool option = !optionsEnded && word.size() > 1 && word.front() == '-';
        if (!option) {
            if (!line.hasFile) {
                line.hasFile = true;
                line.file = std::string(word);
            }
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "-h" || word == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (word == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else {
            line.action = CommandLine::Action::Error;
            line.error = "unknown option " + std::string(word);
            return line;
        }
    }
    return line;
}

} // namespace duvara
