#pragma once

#include <stdexcept>
#include <string>

namespace duvara {

// The one error the media adapter raises. It abandons the user action that caused it and
// reaches the application's error box through the guard at that action's entry point.
class EDirectShowException : public std::runtime_error
{
public:
    explicit EDirectShowException(const std::string &message) : std::runtime_error(message) {}
};

} // namespace duvara
