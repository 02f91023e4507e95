// Many links of one command through the real opener: each is handed on, in
// order, while the opener holds no descriptor and leaves no process behind.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include "platform/LinkOpening.h"
#include "platform/Opener.h"
#include "platform/testing/ScriptedBoxes.h"
#include "tests/EnvGuard.h"

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int Descriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// The processes this test has started and not reaped yet.
QStringList Children()
{
    QStringList children;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        children += QString::fromLatin1(Read(tasks.filePath(task) + "/children")).split(' ', Qt::SkipEmptyParts);
    return children;
}

// The pids among these that are zombies of the stand-in.
int ZombieStandIns(const std::vector<int>& pids)
{
    int zombies = 0;
    for (const int pid : pids) {
        const QByteArray stat = Read(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.contains("(xdg-open) Z"))
            ++zombies;
    }
    return zombies;
}

// The clock of the processes' start times in /proc/<pid>/stat: ticks since
// boot, rounded down.
long long BootTicks()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const long long perTick = 1000000000LL / sysconf(_SC_CLK_TCK);
    return (now.tv_sec * 1000000000LL + now.tv_nsec) / perTick;
}

// The soft limit of descriptors, lowered for the guard's lifetime.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft)
    {
        getrlimit(RLIMIT_NOFILE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = std::min(soft, old_.rlim_max);
        setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &old_); }

private:
    rlimit old_{};
};

}  // namespace

class OpenerLoadTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    // A stand-in for the desktop's opener: bin/xdg-open running body.
    QString StandIn(const QString& name, const QString& body)
    {
        const QString bin = dir_.filePath(name);
        QFile script(bin + "/xdg-open");
        if (!QDir().mkpath(bin) || !script.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(script.fileName()));
        script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return bin + ":/usr/bin:/bin";
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // 5,000 links under the usual limit of 1,024 descriptors, each stand-in
    // running for 2 s: all are handed on in order (the stand-ins' pids rise
    // in the order they were started), nothing is said, the descriptors are
    // back within the answer time and no stand-in is left a zombie. The
    // handler does not start them one after another itself: it returns
    // before the last one has been started (its start time, which the
    // stand-in reads from /proc, comes after the handler's return).
    void thousandsOfLinksAreHandedOnHoldingNothing()
    {
        constexpr int kLinks = 5000;
        const QString record = dir_.filePath("many.txt");
        EnvGuard path("PATH",
                      StandIn("many",
                              QStringLiteral("link=$1; read -r stat < /proc/$$/stat; set -- $stat; "
                                             "printf '%s %s %s\\n' \"$$\" \"${22}\" \"$link\" >> '%1'; sleep 2")
                                  .arg(record))
                          .toStdString());
        const DescriptorLimit limit(1024);
        std::vector<std::string> links;
        for (int i = 0; i < kLinks; ++i)
            links.push_back("http://x.pl/" + std::to_string(i));
        QWidget owner;
        platform::ScriptedBoxes boxes;
        platform::DesktopOpener opener;
        const int descriptors = Descriptors();
        const QStringList children = Children();

        QElapsedTimer handler;
        handler.start();
        OpenLinksOrSay(opener, boxes, &owner, links, [] { return false; });
        const long long returned = BootTicks();
        qInfo("%d links handed on in %lld ms", kLinks, static_cast<long long>(handler.elapsed()));
        QTRY_COMPARE_WITH_TIMEOUT(Descriptors(), descriptors, int(platform::kOpenerAnswerTime.count()));
        QTRY_COMPARE_WITH_TIMEOUT(Read(record).count('\n'), kLinks, 90000);

        std::map<int, int> pidOf;  // link number -> the stand-in's pid
        std::vector<int> pids;
        long long lastStarted = 0;  // the last link's start, in BootTicks
        for (const QByteArray& line : Read(record).split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 3)
                continue;
            const int link = fields[2].mid(int(qstrlen("http://x.pl/"))).toInt();
            QVERIFY2(pidOf.emplace(link, fields[0].toInt()).second, line.constData());
            pids.push_back(fields[0].toInt());
            if (link == kLinks - 1)
                lastStarted = fields[1].toLongLong();
        }
        QCOMPARE(int(pidOf.size()), kLinks);
        QCOMPARE(pidOf.rbegin()->first, kLinks - 1);
        QVERIFY2(lastStarted > returned,
                 qPrintable(QStringLiteral("the last link started at tick %1, the handler "
                                           "returned at tick %2")
                                .arg(lastStarted)
                                .arg(returned)));
        // Pids are given in rising order and wrap at pid_max once at most.
        const int pidMax = Read(QStringLiteral("/proc/sys/kernel/pid_max")).trimmed().toInt();
        long long span = 0;
        for (int i = 1; i < kLinks; ++i) {
            const int step = (pidOf[i] - pidOf[i - 1] + pidMax) % pidMax;
            QVERIFY2(step > 0 && step < pidMax / 2,
                     qPrintable(QStringLiteral("link %1 started before link %2").arg(i).arg(i - 1)));
            span += step;
        }
        QVERIFY(span < pidMax);

        QTRY_COMPARE_WITH_TIMEOUT(Children(), children, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(ZombieStandIns(pids), 0, 10000);
        QCOMPARE(Descriptors(), descriptors);
        QVERIFY(boxes.TakeAsked().empty());
    }

    // A watched link whose opener fails is said, once for the command, also
    // when a link started unwatched fails as well.
    void theFailureOfAWatchedLinkIsSaidOnce()
    {
        EnvGuard path("PATH", StandIn("failing", QStringLiteral("case \"$1\" in *fail*) exit 4;; esac")).toStdString());
        std::vector<std::string> links = {"http://a.pl", "http://fail.pl/1", "http://c.pl"};
        for (int i = 0; i < 20; ++i)
            links.push_back("http://fail.pl/more" + std::to_string(i));
        QWidget owner;
        platform::ScriptedBoxes boxes;
        platform::DesktopOpener opener;
        OpenLinksOrSay(opener, boxes, &owner, links, [] { return false; });
        QTRY_COMPARE(boxes.Asked().size(), std::size_t(1));
        QTest::qWait(1000);
        const std::vector<platform::AskedBox> asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].text, QStringLiteral("Nie można otworzyć linku :\nhttp://fail.pl/1"));
        QCOMPARE(asked[0].caption, QStringLiteral("Ostrzeżenie"));
    }
};

QTEST_MAIN(OpenerLoadTest)
#include "OpenerLoadTest.moc"
