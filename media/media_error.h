#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace duvara {

// The one error the media adapter raises. It abandons the user action that caused it and
// reaches the application's error box through the guard at that action's entry point.
class EDirectShowException : public std::runtime_error
{
public:
    // An error of our own making (a value out of range): no framework code goes with it.
    explicit EDirectShowException(const std::string &message)
        : std::runtime_error(message)
    { }

    EDirectShowException(const std::string &message, std::int32_t resultCode)
        : std::runtime_error(message)
        , m_resultCode(resultCode)
    { }

    // The media framework's code for the failure (negative); 0 for errors of our own.
    std::int32_t ResultCode() const { return m_resultCode; }

private:
    std::int32_t m_resultCode = 0;
};

// The framework's text followed by the code as 32-bit hexadecimal, e.g.
// "unrecognized file format ($FFFFFFEF)." The text is appended as it is and never used as a
// format string, so a '%' in it cannot disturb the formatting.
inline std::string MediaErrorText(const std::string &frameworkText, std::int32_t resultCode)
{
    char code[24];
    std::snprintf(code, sizeof code, " ($%X).", static_cast<std::uint32_t>(resultCode));
    return frameworkText + code;
}

inline EDirectShowException MediaError(const std::string &frameworkText, std::int32_t resultCode)
{
    return EDirectShowException(MediaErrorText(frameworkText, resultCode), resultCode);
}

} // namespace duvara
