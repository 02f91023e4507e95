// For tests: an opener that records each target that would have been
// opened, in order, or stands for a desktop whose opener cannot be started.
#pragma once

#include <QStringList>

#include "platform/Opener.h"

namespace platform {

class RecordingOpener final : public Opener {
public:
    const QStringList& Opened() const { return opened_; }
    void Clear() { opened_.clear(); }
    void SetCannotStart(bool cannotStart) { cannotStart_ = cannotStart; }

protected:
    bool Launch(const QString& target) override;

private:
    QStringList opened_;
    bool cannotStart_ = false;
};

}  // namespace platform
