#include "Failure.h"

#include "Error.h"
#include "Platform.h"

namespace vorida::editor {

std::string InternalErrorText(const std::exception& error)
{
    return std::string("Błąd wewnętrzny programu: ") + error.what();
}

bool ShowingFailure(const std::function<void()>& operation)
{
    try {
        operation();
        return true;
    } catch (const Error& error) {
        CurrentPlatform().ShowError(error.what());
    } catch (const std::exception& error) {
        CurrentPlatform().ShowError(InternalErrorText(error));
    }
    return false;
}

} // namespace vorida::editor
