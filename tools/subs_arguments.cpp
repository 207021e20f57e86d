#include "subs_arguments.h"

#include <limits>

namespace duvara {

const char SubsUsage[]
    = "usage: duvara-subs dump FILE\n"
      "       duvara-subs list FILE [--offset MS] [--span MS]\n"
      "       duvara-subs at   FILE POSITION_MS [--offset MS] [--span MS] [--last N]\n"
      "       duvara-subs save FILE OUT [--offset MS] [--span MS]\n"
      "       duvara-subs align FILE --to OTHER [--save OUT]\n"
      "       duvara-subs align FILE --to-audio FILM [--save OUT]\n";

namespace {

struct CommandShape
{
    std::string_view name;
    SubsCommand command;
    std::size_t positionals;
    bool correctionOptions;
    bool lastOption;
    bool alignOptions;
};

constexpr CommandShape Commands[] = {
    {"dump", SubsCommand::Dump, 1, false, false, false},
    {"list", SubsCommand::List, 1, true, false, false},
    {"at", SubsCommand::At, 2, true, true, false},
    {"save", SubsCommand::Save, 2, true, false, false},
    {"align", SubsCommand::Align, 1, false, false, true},
};

const CommandShape *FindCommand(std::string_view name)
{
    for (const CommandShape &shape : Commands) {
        if (shape.name == name)
            return &shape;
    }
    return nullptr;
}

// The option's slot in `parsed`, or nullptr when the command does not take it.
std::optional<int64_t> *OptionSlot(std::string_view name, const CommandShape &shape,
                                   SubsArguments &parsed)
{
    if (shape.correctionOptions && name == "--offset")
        return &parsed.offset;
    if (shape.correctionOptions && name == "--span")
        return &parsed.span;
    if (shape.lastOption && name == "--last")
        return &parsed.last;
    return nullptr;
}

// The slot of an option that takes a file name, or nullptr.
std::string *FileOptionSlot(std::string_view name, const CommandShape &shape, SubsArguments &parsed)
{
    if (shape.alignOptions && name == "--to")
        return &parsed.reference;
    if (shape.alignOptions && name == "--to-audio")
        return &parsed.film;
    if (shape.alignOptions && name == "--save")
        return &parsed.out;
    return nullptr;
}

bool TakePositional(std::string_view value, std::size_t index, SubsArguments &parsed)
{
    if (index == 0) {
        parsed.file = std::string(value);
        return !value.empty();
    }
    if (parsed.command == SubsCommand::At)
        return ParseDecimalArgument(value, parsed.position);
    parsed.out = std::string(value);
    return !value.empty();
}

} // namespace

bool ParseDecimalArgument(std::string_view text, int64_t &value)
{
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return false;
    constexpr int64_t max = std::numeric_limits<int64_t>::max();
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        const int digit = c - '0';
        magnitude = magnitude > (max - digit) / 10 ? max : magnitude * 10 + digit;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

std::optional<SubsArguments> ParseSubsArguments(const std::vector<std::string_view> &args)
{
    if (args.empty())
        return std::nullopt;
    const CommandShape *shape = FindCommand(args[0]);
    if (!shape)
        return std::nullopt;

    SubsArguments parsed;
    parsed.command = shape->command;
    std::size_t positionals = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (std::string *file = FileOptionSlot(arg, *shape, parsed)) {
            if (i + 1 == args.size() || args[i + 1].empty())
                return std::nullopt;
            *file = std::string(args[++i]);
        } else if (arg.substr(0, 2) == "--") {
            std::optional<int64_t> *slot = OptionSlot(arg, *shape, parsed);
            int64_t value = 0;
            if (!slot || i + 1 == args.size() || !ParseDecimalArgument(args[++i], value))
                return std::nullopt;
            *slot = value;
        } else if (positionals == shape->positionals
                   || !TakePositional(arg, positionals++, parsed)) {
            return std::nullopt;
        }
    }
    if (positionals != shape->positionals)
        return std::nullopt;
    // Aligned to one thing: another track or a film's speech.
    if (shape->alignOptions && parsed.reference.empty() == parsed.film.empty())
        return std::nullopt;
    return parsed;
}

} // namespace duvara
