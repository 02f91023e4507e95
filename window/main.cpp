// The program entry: the application object, the main window, the loop.
#include <QApplication>
#include <QTranslator>

#include "platform/HandlerGuard.h"
#include "platform/QtBoxes.h"
#include "platform/QtTexts.h"
#include "window/mainwindow/dovra_.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quomira"));
    // The program ends when the main window's close handler has run, never
    // because some other window closed while the main one was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own texts in Polish, as the program's are; without the
    // translation they stay English (the README names its package).
    QTranslator qtTexts;
    platform::InstallPolishQtTexts(qtTexts);

    platform::QtBoxes boxes;
    platform::RunGuarded(boxes, [&] {
        TForm1 form(boxes);
        QObject::connect(&form, &TForm1::Closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
        platform::RunGuarded(boxes, [&] { form.FormCreate(); });
        if (form.TerminateRequested())
            return;
        form.show();
        QApplication::exec();
    });
    return 0;
}
