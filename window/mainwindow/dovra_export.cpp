// Exporting the whole catalogue or one category to a plain-text or HTML file,
// and the about box's command.
//
// An export asks for the file with SaveDialog1 until the user confirms a
// name that is not the catalogue or the settings file and, when the file
// exists, agrees to overwrite it. The store writes the body; the window
// creates the file and, for HTML, writes the page's head and foot around it.
#include <optional>

#include <QAction>
#include <QFile>
#include <QLabel>

#include "platform/Files.h"
#include "platform/HandlerGuard.h"
#include "platform/OutputFile.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "window/dialogs/AboutBox.h"
#include "window/mainwindow/dovra_.h"

namespace {

const QString kTextFilter = QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*");
const QString kTextFileName = QStringLiteral("dovra.txt");
const QString kHtmlFilter = QStringLiteral("Pliki HTML (*.htm,*.html)|*.htm;*.html|Wszystkie pliki (*.*)|*.*");
const QString kHtmlFileName = QStringLiteral("dovra.html");
const std::string kHtmlFoot = "</body>\n</html>";

// The head of an HTML export: the page declares the code page of its bytes,
// and its title is the file's path (Windows-1250), escaped as the body is.
std::string HtmlHead(const std::string& titleCp1250)
{
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">\n<title>" +
        HtmlEscape(titleCp1250) + "</title>\n</head>\n<body>\n";
}

// The native (UTF-8) bytes of a path the dialog answered.
std::string NativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// True for the catalogue file and the settings file, under any of their names.
bool IsProgramFile(const TForm1& form, const std::string& path)
{
    return platform::SameFile(path, form.ArchiveFolder + "dovra.db") ||
        platform::SameFile(path, form.SettingsFolder + "dovra.ini");
}

// Asks for the export file until the user confirms one that may be written;
// nothing when the user gives up. SaveDialog1 keeps the last name chosen, so
// the dialog asked again shows it, and its folder, where the next export
// starts.
std::optional<QString> ChooseExportFile(TForm1& form)
{
    for (;;) {
        QString path;
        if (!form.boxes.SaveFile(&form, form.SaveDialog1, path))
            return std::nullopt;
        form.SaveDialog1.fileName = path;
        platform::StartInFolderOf(form.SaveDialog1, path);
        const std::string native = NativePath(path);
        if (IsProgramFile(form, native)) {
            form.boxes.MessageBox(
                &form, QStringLiteral("Nie można zapisać eksportu do pliku bazy danych lub ustawień programu."),
                QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
            continue;
        }
        if (!platform::FileExists(native))
            return path;
        const int answer =
            form.boxes.MessageBox(&form, QStringLiteral("Istnieje wybrany plik, czy ma zostać nadpisany ?"),
                                  QStringLiteral("Zapytanie"), platform::MbYesNoCancel | platform::MbIconQuestion);
        if (answer == platform::IdYes)
            return path;
        if (answer != platform::IdNo)
            return std::nullopt;
    }
}

// Writes the export into a new file that replaces the chosen one only once
// it is complete. When the store fails, its message has been shown and the
// new file is dropped; a failed creation or write throws. Either way the
// chosen file is as it was.
void WriteExport(const TForm1& form, const QString& path, int catId, bool html)
{
    platform::OutputFile file(NativePath(path));
    if (html) {
        file.Write(HtmlHead(platform::FromQString(path)));
        if (DbExportHtml(form.ArchiveFolder, file.Stream(), catId) != DbOk)
            return;
        file.Write(kHtmlFoot);
    } else if (DbExportText(form.ArchiveFolder, file.Stream(), catId) != DbOk) {
        return;
    }
    file.Close();
}

void Export(TForm1& form, const QString& filter, const QString& fileName, int catId, bool html)
{
    form.SaveDialog1.filter = filter;
    form.SaveDialog1.fileName = fileName;
    if (const std::optional<QString> path = ChooseExportFile(form))
        WriteExport(form, *path, catId, html);
}

}  // namespace

void TForm1::ExportToText(int catId)
{
    Export(*this, kTextFilter, kTextFileName, catId, false);
}

void TForm1::ExportToHtml(int catId)
{
    Export(*this, kHtmlFilter, kHtmlFileName, catId, true);
}

void TForm1::Doplikutekstowego1Click()
{
    platform::BusyGuard busy(Busy);
    ExportToText(-1);
}

void TForm1::DoplikuHTML1Click()
{
    platform::BusyGuard busy(Busy);
    ExportToHtml(-1);
}

void TForm1::Doplikutekstowego2Click()
{
    platform::BusyGuard busy(Busy);
    const int catId = SelectedCategoryId();
    if (catId != -1)
        ExportToText(catId);
}

void TForm1::DoplikuHTML2Click()
{
    platform::BusyGuard busy(Busy);
    const int catId = SelectedCategoryId();
    if (catId != -1)
        ExportToHtml(catId);
}

void TForm1::Oprogramie1Click()
{
    platform::BusyGuard busy(Busy);
    TForm6 box(this, *opener_, boxes, [this] { return Busy; });
    box.Label1->setText(box.Label1->text() + platform::ToQString(Version));
    box.exec();
}

void TForm1::ConnectExportCommands()
{
    OnTriggered(Doplikutekstowego1, &TForm1::Doplikutekstowego1Click);
    OnTriggered(DoplikuHTML1, &TForm1::DoplikuHTML1Click);
    OnTriggered(Doplikutekstowego2, &TForm1::Doplikutekstowego2Click);
    OnTriggered(DoplikuHTML2, &TForm1::DoplikuHTML2Click);
    OnTriggered(Oprogramie1, &TForm1::Oprogramie1Click);
    OnTriggered(ToolButton14, &TForm1::Oprogramie1Click);
}
