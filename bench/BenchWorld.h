// The world a window benchmark runs in: a temporary folder that HOME,
// XDG_DATA_HOME, TMPDIR and XDG_RUNTIME_DIR point into, and the offscreen
// platform unless another one is asked for. Set up before the application
// object exists.
#pragma once

#include <filesystem>
#include <string>

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

#include "Process.h"

class BenchWorld {
public:
    BenchWorld()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        root_ = std::filesystem::canonical(dir_.path().toStdString()).string() + "/";
        for (const char* sub : {"data/Quomira", "tmp", "run", "bin"})
            std::filesystem::create_directories(root_ + sub);
        qputenv("HOME", QByteArray::fromStdString(root_));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root_ + "data"));
        qputenv("TMPDIR", QByteArray::fromStdString(root_ + "tmp"));
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(root_ + "run"));
        // The shipped update library (build/window/ beside build/bench/), so
        // that start-up asks it as a real start does.
        const std::string shipped = platform::ExtractFilePath(platform::ExecutablePath()) + "../window/update.so";
        std::error_code missing;  // not built: start-up then warns about it
        std::filesystem::copy_file(shipped, root_ + "bin/update.so", missing);
    }

    // The default archive folder, where the catalogue is built.
    std::string ArchiveFolder() const { return root_ + "data/Quomira/"; }
    // The stand-in executable path the window is started on.
    std::string ExePath() const { return root_ + "bin/quomira"; }
    std::string Root() const { return root_; }

private:
    QTemporaryDir dir_;
    std::string root_;
};
