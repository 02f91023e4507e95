#include "platform/testing/RecordingOpener.h"

namespace platform {

bool RecordingOpener::Launch(const QString& target)
{
    if (cannotStart_)
        return false;
    opened_.append(target);
    return true;
}

}  // namespace platform
