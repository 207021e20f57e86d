// The command line of duvara-subs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duvara {

// Every way the program ends; the man page and --help list the same three.
enum SubsExitCode {
    SubsExitOk = 0,
    SubsExitFailure = 1, // a file could not be read or written, or the work found no answer
    SubsExitUsage = 2, // the command line is wrong
};

enum class SubsCommand {
    Dump,
    List,
    At,
    Save,
    Align,
};

struct SubsArguments
{
    SubsCommand command = SubsCommand::Dump;
    std::string file;
    std::string out; // save; align's --save, empty when not given
    std::string reference; // align's --to
    std::string film; // align's --to-audio
    int64_t position = 0; // at
    std::optional<int64_t> offset;
    std::optional<int64_t> span;
    std::optional<int64_t> last; // at
};

struct SubsCommandLine
{
    enum class Action {
        Run,
        Help,
        Version,
        WrongShape, // `error` says what, and the usage follows it
        BadValue, // `error` alone says what: the usage would not help
    };
    Action action = Action::Run;
    SubsArguments arguments; // for Run
    std::string error; // without the program's name or a line end
};

// The arguments after the program name. Options may stand anywhere after the command word;
// "--" ends them, so a file whose name begins with "-" can still be given.
SubsCommandLine ParseSubsArguments(const std::vector<std::string_view> &args);

// The --span a track of `trackSpan` ms accepts, the duration editor's range; empty when `span`
// lies within it, else the message for a BadValue.
std::string SpanProblem(int64_t span, int32_t trackSpan, std::string_view file);

extern const char SubsUsage[]; // after a wrong command line, on standard error
extern const char SubsHelpDetails[]; // --help: the usage, then this on each command and option

} // namespace duvara
