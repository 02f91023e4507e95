// Times opening 1,000 selected links in one command, run by hand outside the
// test suite:  opener_bench [rounds]
// The handler (OpenLinksOrSay with the real opener) hands each link to a
// stand-in xdg-open that ends at once, in a program holding 200 MiB of
// written memory (what a large catalogue takes), since the links are
// started from a fork of it. Goal: the handler under 1 s. As references in
// the same run, in alternating order: the time from the handler's call
// until the last link's stand-in has started, and a bare loop of
// posix_spawn starting the same stand-in as many times.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>

#include <spawn.h>
#include <sys/wait.h>

#include "bench/BenchTiming.h"
#include "platform/LinkOpening.h"
#include "platform/Opener.h"
#include "platform/testing/ScriptedBoxes.h"

extern char** environ;

namespace {

constexpr int kLinks = 1000;
constexpr double kGoalMs = 1000;
constexpr std::size_t kHeldMiB = 200;

std::vector<std::string> Links()
{
    std::vector<std::string> links;
    for (int i = 0; i < kLinks; ++i)
        links.push_back("http://x.pl/" + std::to_string(i));
    return links;
}

struct HandlerTimes {
    double handler = 0;      // the call of OpenLinksOrSay
    double lastStarted = 0;  // until the last link's stand-in has run
};

// The stand-in writes started when it is given the last link.
HandlerTimes TimeHandler(const std::vector<std::string>& links, const QString& started)
{
    QFile::remove(started);
    QWidget owner;
    platform::ScriptedBoxes boxes;
    platform::DesktopOpener opener;
    const Clock::time_point start = Clock::now();
    OpenLinksOrSay(opener, boxes, &owner, links, [] { return false; });
    HandlerTimes times;
    times.handler = Milliseconds(start);
    while (!QFileInfo::exists(started) && Milliseconds(start) < 600000)
        QThread::usleep(500);
    times.lastStarted = Milliseconds(start);
    if (!boxes.Asked().empty())
        std::printf("unexpected box: %s\n", qPrintable(boxes.Asked().front().text));
    return times;
}

// The same starts as bare as they come: posix_spawn in a loop, reaped after
// the clock stops.
double TimeFloor(const std::string& standIn, const std::vector<std::string>& links)
{
    std::vector<pid_t> pids;
    const Clock::time_point start = Clock::now();
    for (const std::string& link : links) {
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(link.c_str()), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, standIn.c_str(), nullptr, nullptr, argv, environ) == 0)
            pids.push_back(pid);
    }
    const double ms = Milliseconds(start);
    for (const pid_t pid : pids)
        waitpid(pid, nullptr, 0);
    return ms;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = Rounds(argc, argv, 5);
    const std::unique_ptr<char[]> held(new char[kHeldMiB << 20]);
    std::memset(held.get(), 1, kHeldMiB << 20);
    QTemporaryDir dir;
    const QString standIn = dir.filePath("xdg-open");
    const QString started = dir.filePath("started");
    QFile script(standIn);
    if (!dir.isValid() || !script.open(QIODevice::WriteOnly))
        return 1;
    script.write(QStringLiteral("#!/bin/sh\ncase \"$1\" in */%1) : > '%2';; esac\nexit 0\n")
                     .arg(kLinks - 1)
                     .arg(started)
                     .toUtf8());
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", (dir.path() + ":/usr/bin:/bin").toUtf8());

    const std::vector<std::string> links = Links();
    std::vector<double> handler;
    std::vector<double> lastStarted;
    std::vector<double> floor;
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which goes first, so that neither always runs on a
        // machine the other has just loaded.
        HandlerTimes h;
        double f = 0;
        if (round % 2 == 0) {
            h = TimeHandler(links, started);
            QThread::msleep(500);
            f = TimeFloor(standIn.toStdString(), links);
        } else {
            f = TimeFloor(standIn.toStdString(), links);
            QThread::msleep(500);
            h = TimeHandler(links, started);
        }
        QThread::msleep(500);
        QCoreApplication::processEvents();
        handler.push_back(h.handler);
        lastStarted.push_back(h.lastStarted);
        floor.push_back(f);
        ratios.push_back(h.handler / f);
    }
    std::printf("(the program holds %zu MiB of written memory)\n", kHeldMiB);
    Report("open 1,000 links: the handler (OpenLinksOrSay, DesktopOpener)", handler, kGoalMs);
    Report("reference: from the call until the last link's stand-in ran", lastStarted, 0);
    Report("floor: 1,000 bare posix_spawn of the same stand-in", floor, 0);
    std::printf("%-62s median %8.3f (pair by pair)\n", "handler / floor", Median(ratios));
    return 0;
}
