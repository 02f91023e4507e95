// What opening a link hands to the desktop, seen through the recording opener.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <string>

#include "platform/testing/RecordingOpener.h"
#include "tests/EnvGuard.h"

class OpenerTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString MakeFile(const QString& name, QFileDevice::Permissions permissions)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(path));
        file.write("#!/bin/sh\necho ran\n");
        file.close();
        file.setPermissions(permissions);
        return path;
    }

    // A stand-in for the desktop's opener: bin/xdg-open running body, with
    // the system's folders after bin on PATH for the tools it uses.
    QString FakeOpener(const QString& name, const QString& body)
    {
        const QString bin = dir_.filePath(name);
        if (!QDir().mkpath(bin))
            qFatal("cannot create %s", qPrintable(bin));
        QFile script(bin + "/xdg-open");
        if (!script.open(QIODevice::WriteOnly))
            qFatal("cannot create %s", qPrintable(script.fileName()));
        script.write(("#!/bin/sh\n" + body + "\n").toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return bin + ":/usr/bin:/bin";
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The processes this test has started and not reaped yet.
    static QStringList Children()
    {
        QStringList children;
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            children += QString::fromLatin1(Read(tasks.filePath(task) + "/children")).split(' ', Qt::SkipEmptyParts);
        return children;
    }

    // The spellings of an executable file (run.sh, app.desktop in the test's
    // folder) that xdg-open would decode again into its plain path.
    QStringList EscapedExecutables()
    {
        const auto readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QString program = MakeFile("run.sh", readWrite | QFileDevice::ExeOwner);
        MakeFile("app.desktop", readWrite);
        const QString dir = dir_.path();
        return {
            "file://" + dir + "/r\\x75n.sh",
            "file://" + dir + "/r\\165n.sh",
            "file://" + program + "%0A",
            "file://" + program + "%0a%0a",
            "file://" + program + "%00",
            program + "\\c",
            program + "\\cjunk",
            dir + "/r\\0165n.sh",
            program + "\\n",
            "file://" + program + "\\c",
            "file://" + dir + "/app.d\\x65sktop",
        };
    }

    // Plain texts of a document and a folder that still open, with the path
    // the desktop is given for each.
    QList<std::pair<QString, QString>> PlainLocalTexts()
    {
        const auto readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QString document = MakeFile("notes.txt", readWrite);
        const QString spaced = MakeFile("my notes.txt", readWrite);
        return {
            {document, document},
            {dir_.path(), dir_.path()},
            {"file://" + dir_.path() + "/my%20notes.txt", spaced},
        };
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void opensTextsAsTheDesktopExpects_data()
    {
        QTest::addColumn<QByteArray>("link");  // Windows-1250 bytes
        QTest::addColumn<QString>("expected");

        QTest::newRow("www gets http") << QByteArray("www.example.org/a") << "http://www.example.org/a";
        QTest::newRow("upper-case WWW gets http") << QByteArray("WWW.EXAMPLE.ORG") << "http://WWW.EXAMPLE.ORG";
        QTest::newRow("any www gets http, as in the HTML export")
            << QByteArray("Www2.example.org") << "http://Www2.example.org";
        QTest::newRow("http unchanged") << QByteArray("http://example.org/?q=1&r=2") << "http://example.org/?q=1&r=2";
        QTest::newRow("ed2k unchanged") << QByteArray("ed2k://|file|a b.avi|1234|ABCDEF|/")
                                        << "ed2k://|file|a b.avi|1234|ABCDEF|/";
        QTest::newRow("mailto unchanged") << QByteArray("mailto:jan@example.org") << "mailto:jan@example.org";
        QTest::newRow("shell text is one argument")
            << QByteArray("http://x/$(touch /tmp/q);`id`|cat") << "http://x/$(touch /tmp/q);`id`|cat";
        QTest::newRow("Windows-1250 letters")
            << QByteArray("http://x/\xb3\xf3\x9c\xe6") << QString::fromUtf8("http://x/łóść");
        QTest::newRow("a missing file path") << QByteArray("/nonexistent/file.sh") << "/nonexistent/file.sh";
    }

    void opensTextsAsTheDesktopExpects()
    {
        QFETCH(QByteArray, link);
        QFETCH(QString, expected);
        platform::RecordingOpener opener;
        QCOMPARE(opener.OpenLink(link.toStdString()), platform::OpenResult::Opened);
        QCOMPARE(opener.Opened(), QStringList{expected});
    }

    void neverOpensAnExecutableFile()
    {
        const auto readWrite = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const QString program = MakeFile("run.sh", readWrite | QFileDevice::ExeOwner);
        const QString groupProgram = MakeFile("group.sh", readWrite | QFileDevice::ExeGroup);
        const QString entry = MakeFile("app.desktop", readWrite);
        const QString spaced = MakeFile("with space.sh", readWrite | QFileDevice::ExeOwner);

        const QStringList refused = {
            program,
            groupProgram,
            entry,
            "file://" + program,
            "file://localhost" + program,
            "file:" + program,
            "FILE://" + program,
            "file://" + QString::fromLatin1(QUrl::toPercentEncoding(spaced, "/")),
        };
        for (const QString& text : refused) {
            platform::RecordingOpener opener;
            QVERIFY2(opener.OpenLink(text.toStdString()) == platform::OpenResult::Refused, qPrintable(text));
            QVERIFY2(opener.Opened().isEmpty(), qPrintable(text));
        }
    }

    void opensAPlainFileAndAFolder()
    {
        const QString document = MakeFile("notes.txt", QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        platform::RecordingOpener opener;
        QCOMPARE(opener.OpenLink(document.toStdString()), platform::OpenResult::Opened);
        QCOMPARE(opener.OpenLink(dir_.path().toStdString()), platform::OpenResult::Opened);
        QCOMPARE(opener.Opened(), (QStringList{document, dir_.path()}));
    }

    // xdg-open decodes a path or a file: address again (printf, echo): the
    // opener decodes it once itself, refuses what would be decoded again and
    // hands on the plain path of the file it names.
    void neverHandsOnAnEscapedExecutable()
    {
        const QString record = dir_.filePath("escaped.txt");
        EnvGuard path("PATH",
                      FakeOpener("escaped", QStringLiteral("printf '%s\\n' \"$1\" >> '%1'").arg(record)).toStdString());
        platform::DesktopOpener desktop;
        for (const QString& text : EscapedExecutables()) {
            platform::RecordingOpener recording;
            QVERIFY2(recording.OpenLink(text.toStdString()) == platform::OpenResult::Refused, qPrintable(text));
            QVERIFY2(desktop.OpenLink(text.toStdString()) == platform::OpenResult::Refused, qPrintable(text));
        }
        QByteArray expected;
        for (const auto& [text, opened] : PlainLocalTexts()) {
            QCOMPARE(desktop.OpenLink(text.toStdString()), platform::OpenResult::Opened);
            QTRY_COMPARE(Read(record), expected + opened.toUtf8() + "\n");
            expected += opened.toUtf8() + "\n";
        }
    }

    // The same through the real xdg-open of a desktop without GNOME or KDE,
    // whose generic path decodes again: the handler of the files' type
    // receives the plain documents and never an executable.
    void theRealXdgOpenGivesAHandlerNoExecutable()
    {
        const QString xdgOpen = QStringLiteral("/usr/bin/xdg-open");
        if (!QFileInfo(xdgOpen).isExecutable())
            QSKIP("xdg-utils is not installed");
        const QString home = dir_.filePath("desktop");
        const QString record = home + "/handled.txt";
        const QString handler = home + "/handler.sh";
        QVERIFY(QDir().mkpath(home + "/data/applications") && QDir().mkpath(home + "/config"));
        QFile script(handler);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nfor a do printf '%s\\n' \"$a\" >> '%1'; done\n").arg(record).toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QStringList types = {
            "text/plain",      "text/x-shellscript",       "application/x-shellscript", "application/x-desktop",
            "inode/directory", "application/x-executable", "application/octet-stream"};
        QFile entry(home + "/data/applications/quomira-handler.desktop");
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write(("[Desktop Entry]\nType=Application\nName=Handler\nExec=" + handler +
                     " %f\nMimeType=" + types.join(';') + ";\n")
                        .toUtf8());
        entry.close();
        QFile list(home + "/config/mimeapps.list");
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("[Default Applications]\n");
        for (const QString& type : types)
            list.write((type + "=quomira-handler.desktop\n").toUtf8());
        list.close();

        EnvGuard path("PATH", "/usr/bin:/bin");
        EnvGuard homeDir("HOME", home.toStdString());
        EnvGuard data("XDG_DATA_HOME", (home + "/data").toStdString());
        EnvGuard dataDirs("XDG_DATA_DIRS", (home + "/none").toStdString());
        EnvGuard config("XDG_CONFIG_HOME", (home + "/config").toStdString());
        EnvGuard configDirs("XDG_CONFIG_DIRS", (home + "/none").toStdString());
        EnvGuard display("DISPLAY", ":quomira-none");
        EnvGuard wayland("WAYLAND_DISPLAY", std::nullopt);
        // xdg-open's last resort, which must not be what opens the files.
        const QString browsed = home + "/browsed.txt";
        const QString browserScript = home + "/browser.sh";
        QFile browserFile(browserScript);
        QVERIFY(browserFile.open(QIODevice::WriteOnly));
        browserFile.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n").arg(browsed).toUtf8());
        browserFile.close();
        browserFile.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EnvGuard browser("BROWSER", browserScript.toStdString());
        EnvGuard desktopName("XDG_CURRENT_DESKTOP", std::nullopt);
        EnvGuard session("DESKTOP_SESSION", std::nullopt);
        EnvGuard kde("KDE_FULL_SESSION", std::nullopt);
        EnvGuard gnome("GNOME_DESKTOP_SESSION_ID", std::nullopt);
        EnvGuard mate("MATE_DESKTOP_SESSION_ID", std::nullopt);
        EnvGuard lxqt("LXQT_SESSION_CONFIG", std::nullopt);

        const QStringList before = Children();
        platform::DesktopOpener desktop;
        for (const QString& text : EscapedExecutables())
            desktop.OpenLink(text.toStdString());
        QStringList expected;
        for (const auto& [text, opened] : PlainLocalTexts()) {
            QCOMPARE(desktop.OpenLink(text.toStdString()), platform::OpenResult::Opened);
            expected += opened;
        }
        QTRY_COMPARE_WITH_TIMEOUT(Children(), before, 30000);
        QStringList handled = QString::fromUtf8(Read(record)).split('\n', Qt::SkipEmptyParts);
        handled.sort();
        expected.sort();
        QCOMPARE(handled.join('\n'), expected.join('\n'));
        QCOMPARE(Read(browsed), QByteArray());
    }

    void opensNothingForAnEmptyText()
    {
        platform::RecordingOpener opener;
        QCOMPARE(opener.OpenLink(""), platform::OpenResult::Empty);
        QVERIFY(opener.Opened().isEmpty());
    }

    // A text that xdg-open would read as an option is never handed to it.
    void neverHandsOnAnOption()
    {
        const QString record = dir_.filePath("options.txt");
        EnvGuard path("PATH",
                      FakeOpener("options", QStringLiteral("printf '%s\\n' \"$1\" >> '%1'").arg(record)).toStdString());
        platform::DesktopOpener desktop;
        platform::RecordingOpener recording;
        for (const char* option : {"-e", "--help", "-", "--version http://a.pl"}) {
            QCOMPARE(desktop.OpenLink(option), platform::OpenResult::Refused);
            QCOMPARE(recording.OpenLink(option), platform::OpenResult::Refused);
        }
        QVERIFY(recording.Opened().isEmpty());
        QCOMPARE(desktop.OpenLink("http://a.pl/-e"), platform::OpenResult::Opened);
        QTRY_COMPARE(Read(record), QByteArray("http://a.pl/-e\n"));
    }

    // The desktop's opener's exit status is its answer: a failure (an exit
    // status other than 0, or a signal) is reported once it ends.
    void desktopOpenerReportsItsFailureWhenItEnds_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("failed");
        QTest::newRow("exit 0") << "exit 0" << false;
        QTest::newRow("exit 4") << "exit 4" << true;
        QTest::newRow("killed") << "kill -KILL $$" << true;
    }
    void desktopOpenerReportsItsFailureWhenItEnds()
    {
        QFETCH(QString, ending);
        QFETCH(bool, failed);
        const QString record = dir_.filePath("ended.txt");
        QFile::remove(record);
        EnvGuard path(
            "PATH",
            FakeOpener("ending", QStringLiteral("printf '%s' \"$1\" > '%1'\n%2").arg(record, ending)).toStdString());
        platform::DesktopOpener opener;
        int failures = 0;
        QCOMPARE(opener.OpenLink("ed2k://|file|a|1|A|/", [&failures] { ++failures; }), platform::OpenResult::Opened);
        QTRY_COMPARE(Read(record), QByteArray("ed2k://|file|a|1|A|/"));
        if (failed)
            QTRY_COMPARE(failures, 1);
        QTest::qWait(300);
        QCOMPARE(failures, failed ? 1 : 0);
    }

    // Where xdg-open runs the handler itself it ends when the viewer ends:
    // an ending after the answer time is no answer. The opener never ends
    // xdg-open or the viewer, which run in a session of their own, and reaps
    // xdg-open when it ends.
    void anEndingAfterTheAnswerTimeIsNotAFailure()
    {
        const QString record = dir_.filePath("viewer.txt");
        const QString session = dir_.filePath("session.txt");
        EnvGuard path("PATH",
                      FakeOpener("viewer",
                                 QStringLiteral("set -- $(cat /proc/$$/stat); echo \"$1 $6\" > '%1'; "
                                                "printf started >> '%2'; sleep 3; printf ' done' >> '%2'; exit 4")
                                     .arg(session, record))
                          .toStdString());
        const QStringList before = Children();
        platform::DesktopOpener opener(std::chrono::milliseconds(300));
        int failures = 0;
        QCOMPARE(opener.OpenLink("http://a.pl", [&failures] { ++failures; }), platform::OpenResult::Opened);
        QTRY_COMPARE(Read(record), QByteArray("started"));
        const QList<QByteArray> ids = Read(session).trimmed().split(' ');
        QCOMPARE(ids.size(), 2);
        QCOMPARE(ids[1], ids[0]);  // the leader of a session of its own
        QTest::qWait(500);
        QCOMPARE(Read(record), QByteArray("started"));
        QTRY_COMPARE_WITH_TIMEOUT(Read(record), QByteArray("started done"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(Children(), before, 3000);
        QCOMPARE(failures, 0);
    }

    // The links of a command past the watched ones go to one launcher when
    // the command ends; when it cannot be started (here: xdg-open is no
    // longer executable), the first of them answers with a failure, once.
    void heldLinksAnswerWhenTheirLauncherCannotStart()
    {
        const QString bin = dir_.filePath("held");
        EnvGuard path("PATH", FakeOpener("held", QStringLiteral("exit 0")).toStdString());
        platform::DesktopOpener opener;
        std::vector<int> failures(platform::kWatchedLinksPerCommand + 2);
        opener.BeginCommand();
        for (std::size_t i = 0; i < failures.size(); ++i)
            QCOMPARE(opener.OpenLink("http://a.pl/" + std::to_string(i), [&failures, i] { ++failures[i]; }),
                     platform::OpenResult::Opened);
        QVERIFY(QFile::setPermissions(bin + "/xdg-open", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        opener.EndCommand();
        std::vector<int> expected(failures.size());
        expected[platform::kWatchedLinksPerCommand] = 1;
        QTRY_VERIFY(failures == expected);
        QTest::qWait(300);
        QVERIFY(failures == expected);
    }

    // Quitting while the desktop's opener still runs neither waits for it nor
    // ends it, and reports nothing.
    void quittingLeavesARunningOpenerAlone()
    {
        const QString record = dir_.filePath("running.txt");
        EnvGuard path(
            "PATH",
            FakeOpener("running",
                       QStringLiteral("printf started >> '%1'; sleep 2; printf ' done' >> '%1'; exit 4").arg(record))
                .toStdString());
        auto opener = std::make_unique<platform::DesktopOpener>();
        int failures = 0;
        QCOMPARE(opener->OpenLink("http://a.pl", [&failures] { ++failures; }), platform::OpenResult::Opened);
        QTRY_COMPARE(Read(record), QByteArray("started"));
        QElapsedTimer quitting;
        quitting.start();
        opener.reset();
        QVERIFY(quitting.elapsed() < 1500);
        QTRY_COMPARE_WITH_TIMEOUT(Read(record), QByteArray("started done"), 10000);
        QTest::qWait(100);
        QCOMPARE(failures, 0);
    }

    // The desktop's opener is xdg-open from PATH, given the target as its
    // only argument; without it the link is not started, and says so.
    void desktopOpenerStartsXdgOpenOrSaysItCannot()
    {
        const QString bin = dir_.filePath("bin");
        QVERIFY(QDir().mkpath(bin));
        const QString record = dir_.filePath("opened.txt");
        QFile script(bin + "/xdg-open");
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '%1'\n").arg(record).toUtf8());
        script.close();
        script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        platform::DesktopOpener opener;
        {
            EnvGuard path("PATH", bin.toStdString());
            QCOMPARE(opener.OpenLink("www.example.org/a b"), platform::OpenResult::Opened);
        }
        QTRY_VERIFY(QFileInfo(record).size() > 0);
        QFile opened(record);
        QVERIFY(opened.open(QIODevice::ReadOnly));
        QCOMPARE(opened.readAll(), QByteArray("1|http://www.example.org/a b"));

        EnvGuard path("PATH", dir_.filePath("empty").toStdString());
        QCOMPARE(opener.OpenLink("http://example.org"), platform::OpenResult::NotStarted);
    }
};

QTEST_GUILESS_MAIN(OpenerTest)
#include "OpenerTest.moc"
