// The one base of every error this program throws on purpose: a handler that wants all of our
// own failures, and only those, catches vorida::Error. Each layer derives the errors it throws
// from it, under a name of its own.
#pragma once

#include <stdexcept>

namespace vorida {

class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace vorida
