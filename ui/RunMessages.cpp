#include "RunMessages.h"

#include "Run.h"

namespace vorida::ui {

void RunMessages::ShowError(std::string_view text)
{
    if (held_.empty() && text.substr(0, std::string_view(kLineError).size()) == kLineError)
        held_ = text;
    else
        next_.ShowError(text);
}

void RunMessages::ShowHeldFailure(const std::string& failure)
{
    if (held_.empty())
        return;
    std::string text = std::move(held_);
    held_.clear();
    if (!failure.empty() && text.find(failure) == std::string::npos)
        text += "\r" + failure;
    next_.ShowError(text);
}

} // namespace vorida::ui
