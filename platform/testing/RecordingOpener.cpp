#include "platform/testing/RecordingOpener.h"

namespace platform {

void RecordingOpener::Clear()
{
    opened_.clear();
    failedLater_.clear();
}

void RecordingOpener::FailLater(int index)
{
    const OpenFailed& failed = failedLater_.at(static_cast<size_t>(index));
    if (failed)
        failed();
}

bool RecordingOpener::Launch(const QString& target, OpenFailed failedLater)
{
    if (cannotStart_)
        return false;
    opened_.append(target);
    failedLater_.push_back(std::move(failedLater));
    return true;
}

}  // namespace platform
