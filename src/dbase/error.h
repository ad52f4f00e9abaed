// The one exception type of the dBase engine: every failing operation throws it with a
// sentence that names the file, field or value concerned.
#pragma once

#include <stdexcept>
#include <string>

namespace dbase
{

class Error : public std::runtime_error
{
public:
    explicit Error(const std::string &message) : std::runtime_error(message) {}
};

// The production index cannot be used (damaged, unreadable or stale) and the engine could
// not repair it itself; the table itself may be sound.
class IndexError : public Error
{
public:
    explicit IndexError(const std::string &message) : Error(message) {}
};

} // namespace dbase
