// The catalogue folder switch: the second half of the options dialog's save,
// run when the chosen catalogue folder differs from TForm1::ArchiveFolder.
// Depending on what the new folder holds and on the user's answers it takes
// over a catalogue found there, converts a legacy catalogue found there,
// moves the current catalogue there, or starts an empty one there. Every box
// it shows belongs to the dialog; only Yes counts as yes.
//
// The main window's folder, the "Archiwa" key and the lists never disagree:
// the folder changes only once the new catalogue is open (or moved), and
// "Archiwa" is written before it, so a failing write leaves both as they were.
#include "platform/FileCopy.h"
#include "platform/FileOps.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "store/Db_funcs.h"
#include "window/dialogs/OptionsDialog.h"
#include "window/mainwindow/NewCatalogue.h"
#include "window/mainwindow/dovra_.h"

namespace {

const std::string kDatabase = "dovra.db";
const std::string kLegacyFile = "dovra.ldb";
const std::string kLegacyPart1 = "dovrad1.z";
const std::string kLegacyPart2 = "dovrad2.z";
const std::string kAsideSuffix = ".bak";

// The states of the switch; End stops it.
enum State {
    kEnd = 0,
    kLookForDatabase = 1,
    kDatabaseFound = 2,
    kLookForLegacyFiles = 3,
    kAskToConvert = 4,
    kConvert = 5,
    kOpen = 6,
    kNoDatabase = 7,
};

const unsigned kInformation = platform::MbOk | platform::MbIconInformation;
const unsigned kQuestion = platform::MbYesNo | platform::MbIconQuestion;
const unsigned kWarning = platform::MbOk | platform::MbIconExclamation;

}  // namespace

void TForm3::SwitchArchiveFolder(const std::string& newFolder)
{
    // The folder to go back to when the new one cannot be taken.
    const std::string oldFolder = form1_.ArchiveFolder;
    int state = newFolder != oldFolder ? kLookForDatabase : kEnd;
    // The tray's "Zamknij" works while a box of the switch waits: once the
    // program is closing, a closed box is no answer and the ending program
    // takes no other catalogue.
    while (state != kEnd && !form1_.Closing())
        state = SwitchStep(state, newFolder, oldFolder);
}

int TForm3::SwitchStep(int state, const std::string& newFolder, const std::string& oldFolder)
{
    platform::Boxes& boxes = form1_.boxes;
    switch (state) {
    case kLookForDatabase:
        return platform::FileExists(newFolder + kDatabase) ? kDatabaseFound : kLookForLegacyFiles;
    case kDatabaseFound:
        boxes.MessageBox(this,
                         QStringLiteral("W wybranym katalogu archiwum linków znajduje się plik bazy danych "
                                        "archiwum.\nZostanie on wczytany przez program."),
                         QStringLiteral("Informacja"), kInformation);
        return kOpen;
    case kLookForLegacyFiles:
        // One archive file is enough to ask; the pair is set aside only whole.
        return platform::FileExists(newFolder + kLegacyFile) || platform::FileExists(newFolder + kLegacyPart1)
            ? kAskToConvert
            : kNoDatabase;
    case kAskToConvert:
        return AskAboutLegacyFiles(newFolder);
    case kConvert:
        return ConvertLegacyFolder(newFolder, oldFolder) ? kOpen : kNoDatabase;
    case kOpen:
        OpenCatalogue(newFolder, oldFolder);
        return kEnd;
    case kNoDatabase:
        return NoDatabaseInFolder(newFolder);
    default:
        return kEnd;
    }
}

int TForm3::AskAboutLegacyFiles(const std::string& newFolder)
{
    const int answer = form1_.boxes.MessageBox(
        this, QStringLiteral("W wybranym katalogu archiwum znajdują się pliku starego typu.\nCzy uaktualnić je ?"),
        QStringLiteral("Zapytanie"), kQuestion);
    if (form1_.Closing())
        return kEnd;
    if (answer == platform::IdYes)
        return kConvert;
    SetLegacyFilesAside(newFolder);
    return kNoDatabase;
}

bool TForm3::ConvertLegacyFolder(const std::string& newFolder, const std::string& oldFolder)
{
    // The archive library unpacks the legacy catalogue of ArchiveFolder.
    form1_.ArchiveFolder = newFolder;
    SetAside(true);
    int result = DbOpenFailed;
    try {
        result = form1_.UnpackAndImportLegacy(form1_.TempFolder, form1_.RunTempSubfolder, newFolder);
    } catch (...) {
        form1_.ArchiveFolder = oldFolder;
        SetAside(false);
        throw;
    }
    if (result != DbOk)
        form1_.ArchiveFolder = oldFolder;
    SetAside(false);
    // Whatever the result, the legacy files are set aside; one that keeps
    // its name after a conversion would be offered again.
    const std::vector<std::string> kept = SetLegacyFilesAside(newFolder);
    if (result == DbOk)
        for (const std::string& path : kept)
            form1_.WarnLegacyFileKept(this, path);
    return result == DbOk;
}

void TForm3::SetAside(bool aside)
{
    // Hiding a QDialog would end its modal loop (and with it the dialog, even
    // when a later write fails); it only takes no input instead, under the
    // progress window shown after it.
    setEnabled(!aside);
}

std::vector<std::string> TForm3::SetLegacyFilesAside(const std::string& folder)
{
    // An older set-aside file keeps its place: the legacy file then keeps
    // its own name.
    std::vector<std::string> kept;
    const auto setAside = [&kept](const std::string& path) {
        if (!platform::RenameNoReplace(path, path + kAsideSuffix))
            kept.push_back(path);
    };
    if (platform::FileExists(folder + kLegacyFile)) {
        setAside(folder + kLegacyFile);
    } else if (platform::FileExists(folder + kLegacyPart1) && platform::FileExists(folder + kLegacyPart2)) {
        setAside(folder + kLegacyPart1);
        setAside(folder + kLegacyPart2);
    }
    return kept;
}

int TForm3::NoDatabaseInFolder(const std::string& newFolder)
{
    platform::Boxes& boxes = form1_.boxes;
    if (!platform::FileExists(form1_.ArchiveFolder + kDatabase)) {
        boxes.MessageBox(this, QStringLiteral("W wybranym katalogu zostanie utworzona nowa baza danych archiwum."),
                         QStringLiteral("Informacja"), kInformation);
        return kOpen;
    }
    const int answer = boxes.MessageBox(
        this,
        QStringLiteral("W wybranym katalogu archiwum linków nie ma pliku bazy danych.\nCzy przenieść tam aktualną "
                       "bazę danych ? (przycisk Tak)\nCzy utworzyć nową pustą bazę ? (przycisk Nie)"),
        QStringLiteral("Zapytanie"), kQuestion);
    if (form1_.Closing())
        return kEnd;
    if (answer != platform::IdYes)
        return kOpen;
    MoveCatalogue(newFolder);
    return kEnd;
}

void TForm3::OpenCatalogue(const std::string& newFolder, const std::string& oldFolder)
{
    // An empty catalogue begun here goes again when the switch fails (a
    // full disk leaves an empty file a later switch would take over).
    NewCatalogue catalogue(newFolder + kDatabase);
    if (DbInit(newFolder) != DbOk) {
        // After a conversion the folder already points at the new one.
        form1_.ArchiveFolder = oldFolder;
        form1_.boxes.MessageBox(this,
                                QStringLiteral("Nie można otworzyć bazy danych w wybranym katalogu archiwum linków."),
                                QStringLiteral("Ostrzeżenie"), kWarning);
        return;
    }
    try {
        StoreArchiveFolder(newFolder);
    } catch (...) {
        form1_.ArchiveFolder = oldFolder;
        throw;
    }
    catalogue.Keep();
    form1_.ArchiveFolder = newFolder;
    if (form1_.LoadCategories(0) == DbOk)
        form1_.ListBox2Click();
}

void TForm3::MoveCatalogue(const std::string& newFolder)
{
    const std::string current = form1_.ArchiveFolder + kDatabase;
    if (!platform::CopyFileNoReplace(current, newFolder + kDatabase)) {
        form1_.boxes.MessageBox(this,
                                QStringLiteral("Nie udało się przenieść bazy danych do wybranego katalogu archiwum "
                                               "linków.\nProgram nadal używa bazy danych z dotychczasowego katalogu."),
                                QStringLiteral("Ostrzeżenie"), kWarning);
        return;
    }
    // The next start must find the catalogue: "Archiwa" first, then the
    // folder, and only then the old file goes. When "Archiwa" cannot be
    // written the copy made here goes again: nothing has moved.
    try {
        StoreArchiveFolder(newFolder);
    } catch (...) {
        platform::DeleteFile(newFolder + kDatabase);
        throw;
    }
    form1_.ArchiveFolder = newFolder;
    platform::DeleteFile(current);
    // The lists already show the moved catalogue: nothing is reloaded.
}

void TForm3::StoreArchiveFolder(const std::string& folder)
{
    platform::IniFile ini(form1_.SettingsFolder + "dovra.ini");
    ini.WriteString("Sciezki", "Archiwa", folder);
}
