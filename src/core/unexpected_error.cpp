// SPDX-License-Identifier: MIT
#include "core/unexpected_error.h"

#include "core/form_services.h"
#include "core/form_view.h"

namespace orvane2 {

std::string TrappedErrorTitle()
{
    return std::string(kProgramTitle) + " - " + kWindowCaption;
}

std::string ErrorDescription(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& known) {
        return known.what();
    } catch (...) {
        return "Непредвиденная ошибка";
    }
}

int RunToTheEnd(const std::function<int()>& program,
                const std::function<void(const std::string& description, const std::string& title)>& tell) noexcept
{
    std::exception_ptr error;
    try {
        return program();
    } catch (...) {
        error = std::current_exception();
    }
    try {
        tell(ErrorDescription(error), TrappedErrorTitle());
    } catch (...) {
        // Nothing is left to tell it with: the status alone says it.
    }
    return kUnexpectedErrorExit;
}

}  // namespace orvane2
