// How the editor shows a failed operation, as the application's error report does: our own
// errors (vorida::Error) by their Polish text, anything else (a shortage of memory, a library's
// error) as an internal error that says so.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace vorida::editor {

// "Błąd wewnętrzny programu: " and the error's own text.
std::string InternalErrorText(const std::exception& error);

// Runs `operation`. On failure shows the error with the error icon and returns false.
bool ShowingFailure(const std::function<void()>& operation);

} // namespace vorida::editor
