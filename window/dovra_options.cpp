// The options command: the options dialog, modal, with the busy flag raised
// for as long as it is open. The dialog changes the window itself, so
// nothing is reloaded here.
#include "OptionsDialog.h"
#include "Process.h"
#include "dovra_.h"

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
