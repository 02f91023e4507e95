// A timer with the class library's rules: it ticks every Interval
// milliseconds while Enabled, and an interval of 0 or less means it does not
// run at all, even while enabled.
#pragma once

#include <QObject>
#include <QTimer>

namespace platform {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    // Whether ticks actually come: enabled with a positive interval.
    bool Running() const { return timer_.isActive(); }

signals:
    void Tick();

private:
    void Apply();

    QTimer timer_;
    bool enabled_ = false;
    int interval_ = 1000;
};

}  // namespace platform
