#include "platform/HandlerGuard.h"

#include <cstdio>

#include "platform/QtText.h"

namespace platform {

void ShowExceptionText(Boxes& boxes, const std::string& textCp1250) noexcept
{
    try {
        boxes.ShowException(ToQString(textCp1250));
    } catch (...) {
        // Nothing may leave the guard; the error box itself failed.
        std::fputs("Quomira: an error could not be shown\n", stderr);
    }
}

}  // namespace platform
