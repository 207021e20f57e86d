#include "subs_arguments.h"

#include "subtitles/corrections.h"

#include <limits>

namespace duvara {

const char SubsUsage[]
    = "usage: duvara-subs dump FILE\n"
      "       duvara-subs list FILE [--offset MS] [--span MS]\n"
      "       duvara-subs at FILE POSITION_MS [--offset MS] [--span MS] [--last N]\n"
      "       duvara-subs save FILE OUT [--offset MS] [--span MS]\n"
      "       duvara-subs align FILE --to OTHER [--save OUT]\n"
      "       duvara-subs align FILE --to-audio FILM [--save OUT]\n"
      "       duvara-subs --help | --version\n";

const char SubsHelpDetails[]
    = "\n"
      "Reads a SubRip (.srt) or MicroDVD (.sub, .txt) subtitle file as the player does.\n"
      "\n"
      "Commands:\n"
      "  dump   print the track as JSON: base, span, and each entry's times, style and text\n"
      "  list   print the track's list: number, times and text of each entry, TAB-separated\n"
      "  at     print the entry shown at POSITION_MS: n for entry n, -n after entry n,\n"
      "         0 before the first\n"
      "  save   write the track, corrected, to OUT as SubRip; OUT is replaced whole or not\n"
      "         at all\n"
      "  align  print the offset and span that line FILE up with OTHER or with FILM's speech\n"
      "\n"
      "Options:\n"
      "  --offset MS      move the track by MS milliseconds, -60000 to 60000 (default 0)\n"
      "  --span MS        stretch the track to last MS milliseconds from its first start to\n"
      "                   its last end, within 30 minutes of its own span\n"
      "  --last N         start the lookup at entry N, as after showing it (default 1)\n"
      "  --to OTHER       align to the timing of another subtitle file\n"
      "  --to-audio FILM  align to the speech in a film's sound track\n"
      "  --save OUT       also save FILE, so corrected, to OUT\n"
      "  --               end of options: a file name after it may begin with -\n"
      "  -h, --help       print this help and exit\n"
      "      --version    print the version and exit\n"
      "\n"
      "Exit status: 0 done; 1 a file could not be read or written, or align found no fit;\n"
      "2 the command line is wrong.\n";

namespace {

struct CommandShape
{
    std::string_view name;
    SubsCommand command;
    std::size_t positionals;
    const char *secondPositional; // its name in messages, when there is one
    bool correctionOptions;
    bool lastOption;
    bool alignOptions;
};

constexpr CommandShape Commands[] = {
    {"dump", SubsCommand::Dump, 1, nullptr, false, false, false},
    {"list", SubsCommand::List, 1, nullptr, true, false, false},
    {"at", SubsCommand::At, 2, "POSITION_MS", true, true, false},
    {"save", SubsCommand::Save, 2, "OUT", true, false, false},
    {"align", SubsCommand::Align, 1, nullptr, false, false, true},
};

const CommandShape *FindCommand(std::string_view name)
{
    for (const CommandShape &shape : Commands) {
        if (shape.name == name)
            return &shape;
    }
    return nullptr;
}

// A number the command line accepts: its name in messages, what it counts and its range.
struct NumberKind
{
    std::string_view name;
    const char *what;
    const char *unit;
    int64_t min;
    int64_t max;
};

constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr NumberKind Offset
    = {"--offset", "a number of milliseconds", " ms", -MaxUserOffset, MaxUserOffset};
// A track's own range is known once it is read (SpanProblem); this is what any track could take.
constexpr NumberKind Span = {"--span", "a number of milliseconds", " ms", 0, Int32Max};
constexpr NumberKind Last = {"--last", "an entry number", "", 1, Int32Max};
constexpr NumberKind Position
    = {"POSITION_MS", "a number of milliseconds", " ms", std::numeric_limits<int64_t>::min(),
       std::numeric_limits<int64_t>::max()};

// An option, the commands that take it and where its value goes: a number of `number`'s kind,
// or with no kind a file name.
struct Option
{
    std::string_view name;
    bool CommandShape::*takenBy;
    const NumberKind *number;
    std::optional<int64_t> SubsArguments::*numberSlot;
    std::string SubsArguments::*fileSlot;
};

constexpr Option Options[] = {
    {"--offset", &CommandShape::correctionOptions, &Offset, &SubsArguments::offset, nullptr},
    {"--span", &CommandShape::correctionOptions, &Span, &SubsArguments::span, nullptr},
    {"--last", &CommandShape::lastOption, &Last, &SubsArguments::last, nullptr},
    {"--to", &CommandShape::alignOptions, nullptr, nullptr, &SubsArguments::reference},
    {"--to-audio", &CommandShape::alignOptions, nullptr, nullptr, &SubsArguments::film},
    {"--save", &CommandShape::alignOptions, nullptr, nullptr, &SubsArguments::out},
};

const Option *FindOption(std::string_view name)
{
    for (const Option &option : Options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

std::string OutOfRange(std::string_view name, std::string_view text, int64_t min, int64_t max,
                       const char *unit, std::string_view where = {})
{
    return std::string(name) + ": " + std::string(text) + " is out of range" + std::string(where)
        + " (" + std::to_string(min) + " to " + std::to_string(max) + unit + ")";
}

// Plain decimal digits, "-" allowed in front; empty when `text` is one within `kind`'s range,
// else why not.
std::string ReadNumber(std::string_view text, const NumberKind &kind, int64_t &value)
{
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative)
        digits.remove_prefix(1);
    bool number = !digits.empty();
    // Counted as a magnitude, which for INT64_MIN is one more than INT64_MAX.
    const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    uint64_t magnitude = 0;
    bool tooLarge = false;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            number = false;
            break;
        }
        const unsigned digit = unsigned(c - '0');
        if (magnitude > (limit - digit) / 10)
            tooLarge = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (!number)
        return std::string(kind.name) + ": '" + std::string(text) + "' is not " + kind.what;
    if (!tooLarge) {
        value = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
        if (value >= kind.min && value <= kind.max)
            return {};
    }
    return OutOfRange(kind.name, text, kind.min, kind.max, kind.unit);
}

SubsCommandLine WrongShape(std::string error)
{
    SubsCommandLine line;
    line.action = SubsCommandLine::Action::WrongShape;
    line.error = std::move(error);
    return line;
}

SubsCommandLine BadValue(std::string error)
{
    SubsCommandLine line;
    line.action = SubsCommandLine::Action::BadValue;
    line.error = std::move(error);
    return line;
}

// Runs of the command line that answer before anything else is looked at.
SubsCommandLine HelpOrVersion(const std::vector<std::string_view> &args)
{
    SubsCommandLine line;
    for (std::string_view arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            line.action = SubsCommandLine::Action::Help;
            return line;
        }
        if (arg == "--version") {
            line.action = SubsCommandLine::Action::Version;
            return line;
        }
    }
    return line;
}

} // namespace

SubsCommandLine ParseSubsArguments(const std::vector<std::string_view> &args)
{
    if (SubsCommandLine answer = HelpOrVersion(args); answer.action != SubsCommandLine::Action::Run)
        return answer;
    if (args.empty())
        return WrongShape("no command given");
    const CommandShape *shape = FindCommand(args[0]);
    if (!shape) {
        return WrongShape(args[0].substr(0, 1) == "-"
                              ? "unknown option '" + std::string(args[0]) + "'"
                              : "unknown command '" + std::string(args[0]) + "'");
    }

    SubsCommandLine line;
    SubsArguments &parsed = line.arguments;
    parsed.command = shape->command;
    const std::string command(shape->name);
    std::size_t positionals = 0;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.substr(0, 2) == "--") {
            const std::string name(arg);
            const Option *option = FindOption(arg);
            if (!option)
                return WrongShape("unknown option '" + name + "'");
            if (!(shape->*option->takenBy))
                return WrongShape("'" + command + "' does not take " + name);
            if (i + 1 == args.size())
                return WrongShape(name + " needs a " + (option->number ? "value" : "file name"));
            const std::string_view value = args[++i];
            if (option->number) {
                int64_t number = 0;
                if (std::string problem = ReadNumber(value, *option->number, number);
                    !problem.empty())
                    return BadValue(std::move(problem));
                parsed.*option->numberSlot = number;
            } else if (value.empty()) {
                return BadValue(name + ": the file name is empty");
            } else {
                parsed.*option->fileSlot = std::string(value);
            }
            continue;
        }
        if (positionals == shape->positionals)
            return WrongShape("unexpected argument '" + std::string(arg) + "'");
        const char *name = positionals++ == 0 ? "FILE" : shape->secondPositional;
        if (shape->command == SubsCommand::At && positionals == 2) {
            if (std::string problem = ReadNumber(arg, Position, parsed.position); !problem.empty())
                return BadValue(std::move(problem));
        } else if (arg.empty()) {
            return BadValue(std::string(name) + ": the file name is empty");
        } else {
            (positionals == 1 ? parsed.file : parsed.out) = std::string(arg);
        }
    }
    if (positionals < shape->positionals) {
        return WrongShape("'" + command + "' needs "
                          + (positionals == 0 ? "FILE" : shape->secondPositional));
    }
    if (shape->alignOptions && parsed.reference.empty() && parsed.film.empty())
        return WrongShape("'align' needs --to OTHER or --to-audio FILM");
    if (shape->alignOptions && !parsed.reference.empty() && !parsed.film.empty())
        return WrongShape("'align' takes --to or --to-audio, not both");
    return line;
}

std::string SpanProblem(int64_t span, int32_t trackSpan, std::string_view file)
{
    const int32_t low = ClampTargetSpan(0, trackSpan);
    const int32_t high = ClampTargetSpan(Int32Max, trackSpan);
    if (span >= low && span <= high)
        return {};
    return OutOfRange(Span.name, std::to_string(span), low, high, Span.unit,
                      " for " + std::string(file));
}

} // namespace duvara
