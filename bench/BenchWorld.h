// The world a window benchmark runs in: a temporary folder that HOME,
// XDG_DATA_HOME, TMPDIR and XDG_RUNTIME_DIR point into, and the offscreen
// platform unless another one is asked for. Set up before the application
// object exists. Also the application, the main window started and shown,
// a category chosen, and a modal dialog driven from the event loop.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <QApplication>
#include <QByteArray>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtGlobal>

#include "platform/IniFile.h"
#include "platform/Process.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

class BenchWorld {
public:
    BenchWorld()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        root_ = std::filesystem::canonical(dir_.path().toStdString()).string() + "/";
        for (const char* sub : {"data/Quomira", "tmp", "run", "bin"})
            std::filesystem::create_directories(root_ + sub);
        // Qt wants the runtime folder private to its owner.
        std::filesystem::permissions(root_ + "run", std::filesystem::perms::owner_all);
        qputenv("HOME", QByteArray::fromStdString(root_));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root_ + "data"));
        qputenv("TMPDIR", QByteArray::fromStdString(root_ + "tmp"));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(root_ + "run"));
        // The shipped update library (build/window/ beside build/bench/), so
        // that start-up asks it as a real start does. Without it start-up
        // would wait for an answer to the missing library's warning, which
        // nobody gives: the update check is then switched off instead.
        const std::string shipped = platform::ExtractFilePath(platform::ExecutablePath()) + "../window/update.so";
        std::error_code missing;
        if (!std::filesystem::copy_file(shipped, root_ + "bin/update.so", missing)) {
            std::fprintf(stderr, "no %s: the update check is off\n", shipped.c_str());
            platform::IniFile(SettingsPath()).WriteBool("Opcje", "Wersja", false);
        }
    }

    // The default archive folder, where the catalogue is built.
    std::string ArchiveFolder() const { return root_ + "data/Quomira/"; }
    // The settings file start-up reads.
    std::string SettingsPath() const { return root_ + "data/Quomira/dovra.ini"; }
    // The stand-in executable path the window is started on.
    std::string ExePath() const { return root_ + "bin/quomira"; }
    std::string Root() const { return root_; }

private:
    QTemporaryDir dir_;
    std::string root_;
};

// The world and then the application object made in it.
struct BenchApplication {
    BenchApplication(int& argc, char* argv[]) : application(argc, argv)
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quomira"));
    }

    BenchWorld world;
    QApplication application;
};

// Shows window and waits until it is on the screen; false, said on stderr,
// when it never gets there.
inline bool ShowAndWait(QWidget& window)
{
    window.show();
    if (QTest::qWaitForWindowExposed(&window))
        return true;
    std::fputs("the window was not shown\n", stderr);
    return false;
}

// Creates the main window's contents and shows it, as start-up does.
inline bool StartAndShow(TForm1& form)
{
    form.FormCreate();
    return ShowAndWait(form);
}

// Chooses category row (only it) as the user would: ListBox2Click runs.
inline void ChooseCategory(TForm1& form, int row)
{
    form.ListBox2->SetItemIndex(row);
    form.ListBox2->SetSelectedRows({row});
    form.ListBox2Click();
}

// Once the command about to run opens a modal dialog of type Dialog, act
// gets it (and answers it).
template <class Dialog>
void WhenModal(const std::function<void(Dialog&)>& act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()))
            act(*dialog);
    });
}
