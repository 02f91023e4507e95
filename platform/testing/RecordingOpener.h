// For tests: an opener that records each target that would have been
// opened, in order, or stands for a desktop whose opener cannot be started.
// A recorded open can be made to fail later, as the desktop's opener does
// when it ends with a failure after it started.
#pragma once

#include <QStringList>

#include <vector>

#include "platform/Opener.h"

namespace platform {

class RecordingOpener final : public Opener {
public:
    const QStringList& Opened() const { return opened_; }
    void Clear();
    void SetCannotStart(bool cannotStart) { cannotStart_ = cannotStart; }
    // The desktop's answer to the index-th recorded open (0-based): it failed.
    void FailLater(int index);

protected:
    bool Launch(const QString& target, OpenFailed failedLater) override;

private:
    QStringList opened_;
    std::vector<OpenFailed> failedLater_;  // one per recorded open
    bool cannotStart_ = false;
};

}  // namespace platform
