#include "platform/LinkText.h"

namespace platform {

bool NeedsHttpScheme(std::string_view link)
{
    if (link.size() < 3)
        return false;
    for (std::size_t i = 0; i < 3; ++i)
        if (link[i] != 'w' && link[i] != 'W')
            return false;
    return true;
}

std::string WithHttpScheme(std::string_view link)
{
    return NeedsHttpScheme(link) ? "http://" + std::string(link) : std::string(link);
}

}  // namespace platform
