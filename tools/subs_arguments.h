// The command line of duvara-subs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace duvara {

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

// A decimal integer, optionally negative; values beyond int64 saturate, since every number the
// tool takes is clamped to a much smaller range afterwards.
bool ParseDecimalArgument(std::string_view text, int64_t &value);

// The arguments after the program name; nullopt means the usage message is due. Options may
// stand anywhere after the command word.
std::optional<SubsArguments> ParseSubsArguments(const std::vector<std::string_view> &args);

extern const char SubsUsage[];

} // namespace duvara
