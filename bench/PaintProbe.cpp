// Preloaded into the unchanged program (LD_PRELOAD) by window_bench, to say
// when its start-up is over: when the link list has painted itself holding
// PAINT_PROBE_ROWS rows in a shown window. It then writes "painted" on the
// descriptor BENCH_READY_FD and ends the process at once, so that nothing
// after start-up (the close handler, the settings file) runs.
#include <unistd.h>

#include <cstdlib>

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QMetaObject>

namespace {

class PaintProbe : public QObject {
public:
    PaintProbe(int fd, int rows) : fd_(fd), rows_(rows) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !said_ && IsLinkList(watched)) {
            said_ = true;
            // Queued: it runs once this paint, and the rest of the window's,
            // is done.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    static const char kLine[] = "painted\n";
                    const bool written = ::write(fd_, kLine, sizeof kLine - 1) == sizeof kLine - 1;
                    ::_exit(written ? 0 : 1);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    // The viewport of a list view showing rows_ rows in a visible window.
    bool IsLinkList(QObject* watched) const
    {
        auto* view = qobject_cast<QAbstractItemView*>(watched->parent());
        return view && view->viewport() == watched && view->model() && view->model()->rowCount() == rows_ &&
            view->window()->isVisible();
    }

    int fd_;
    int rows_;
    bool said_ = false;
};

void InstallPaintProbe()
{
    const char* fd = std::getenv("BENCH_READY_FD");
    const char* rows = std::getenv("PAINT_PROBE_ROWS");
    if (!fd || !rows || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    // Owned by the application object, gone with it.
    auto* probe = new PaintProbe(std::atoi(fd), std::atoi(rows));
    probe->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(probe);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallPaintProbe)
