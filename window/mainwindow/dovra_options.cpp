// The options command: the options dialog, modal, with the busy flag raised
// for as long as it is open. The dialog changes the window itself, so
// nothing is reloaded here.
#include "platform/Process.h"
#include "window/dialogs/OptionsDialog.h"
#include "window/mainwindow/dovra_.h"

void TForm1::Opcjeprogramu1Click()
{
    platform::BusyGuard busy(Busy);
    TForm3 dialog(*this);
    dialog.exec();
}

std::string TForm1::ExeFolder() const
{
    return platform::ExtractFilePath(exePath_);
}
