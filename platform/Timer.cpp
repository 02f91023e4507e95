#include "platform/Timer.h"

namespace platform {

Timer::Timer(QObject* parent) : QObject(parent)
{
    connect(&timer_, &QTimer::timeout, this, &Timer::Tick);
}

void Timer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    Apply();
}

void Timer::SetInterval(int milliseconds)
{
    interval_ = milliseconds;
    Apply();
}

void Timer::Apply()
{
    if (enabled_ && interval_ > 0)
        timer_.start(interval_);
    else
        timer_.stop();
}

}  // namespace platform
