// The external update and archive libraries, and the conversion of a
// catalogue of the older storage generation ("dovra.ldb", or "dovrad1.z"
// with "dovrad2.z") into the database at start-up.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/Boxes.h"
#include "platform/FileOps.h"
#include "platform/Files.h"
#include "platform/HandlerGuard.h"
#include "platform/Library.h"
#include "platform/Process.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/dialogs/ConversionProgress.h"
#include "window/mainwindow/NewCatalogue.h"
#include "window/mainwindow/dovra_.h"

namespace {

const char* const kUpdateLibrary = "update.so";
const char* const kArchiveLibrary = "archuse.so";

using SprVerFunction = int (*)(const char* name, const char* version, const char* title, int mode);
using OpenArchFunction = void (*)(const char* tempFolder, const char* runSubfolder, const char* archiveFolder);

const std::string kSingleFile = "dovra.ldb";
const std::string kFirstOfPair = "dovrad1.z";
const std::string kSecondOfPair = "dovrad2.z";
const std::string kBackupSuffix = ".bak";

// The libraries take the texts' bytes; an empty text goes as a null pointer.
const char* TextOrNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

bool LegacyPairPresent(const std::string& folder)
{
    return platform::FileExists(folder + kFirstOfPair) && platform::FileExists(folder + kSecondOfPair);
}

bool LegacyFilesPresent(const std::string& folder)
{
    return platform::FileExists(folder + kSingleFile) || LegacyPairPresent(folder);
}

// Gives the legacy file at path its ".bak" name in one step, replacing an
// older backup: a rename that fails leaves both the file and the old backup.
// Adds path to kept when it fails.
void GiveBackupName(const std::string& path, std::vector<std::string>& kept)
{
    if (!platform::RenameReplace(path, path + kBackupSuffix))
        kept.push_back(path);
}

// The legacy files of folder take their ".bak" names; answers the paths of
// those that kept their own.
std::vector<std::string> GiveBackupNames(const std::string& folder)
{
    std::vector<std::string> kept;
    if (platform::FileExists(folder + kSingleFile)) {
        GiveBackupName(folder + kSingleFile, kept);
    } else if (LegacyPairPresent(folder)) {
        GiveBackupName(folder + kFirstOfPair, kept);
        GiveBackupName(folder + kSecondOfPair, kept);
    }
    return kept;
}

// Removes the run subfolder this conversion made, on every way out.
class MadeFolder {
public:
    explicit MadeFolder(std::string path) : path_(std::move(path)) {}
    ~MadeFolder()
    {
        if (path_.empty())
            return;
        EmptyFolder(path_);
        platform::RemoveFolder(path_);
    }
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;

private:
    std::string path_;
};

}  // namespace

bool TForm1::CheckForUpdate(int mode)
{
    const platform::Library library(ExternalLibraryPath(kUpdateLibrary));
    if (!library.Loaded()) {
        WarnLibraryMissing(kUpdateLibrary);
        return false;
    }
    const auto sprVer = library.Function<SprVerFunction>("_SprVer");
    if (!sprVer)
        return false;
    const int answer = sprVer("dovra", TextOrNull(Version), "Quomira", mode);
    return (answer & 0xFF) != 0;
}

void TForm1::OpenArchives()
{
    UnpackLegacyFiles(TempFolder, RunTempSubfolder, ArchiveFolder);
}

bool TForm1::UnpackLegacyFiles(const std::string& tempFolder, const std::string& runTempSubfolder,
                               const std::string& archiveFolder)
{
    const platform::Library library(ExternalLibraryPath(kArchiveLibrary));
    if (!library.Loaded()) {
        WarnLibraryMissing(kArchiveLibrary);
        return false;
    }
    const auto openArch = library.Function<OpenArchFunction>("_OpenArch");
    if (!openArch)
        return false;
    // Never a relative path: without a temp folder nothing is made.
    const std::string runFolder = tempFolder + runTempSubfolder;
    if (tempFolder.empty() || !platform::CreatePrivateFolder(runFolder)) {
        boxes.MessageBox(this,
                         QStringLiteral("Nie można utworzyć katalogu plików tymczasowych :\n") +
                             QString::fromStdString(runFolder),
                         QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
        return false;
    }
    openArch(TextOrNull(tempFolder), TextOrNull(runTempSubfolder), TextOrNull(archiveFolder));
    return true;
}

int TForm1::UnpackAndImportLegacy(const std::string& tempFolder, const std::string& runTempSubfolder,
                                  const std::string& archiveFolder)
{
    const std::string runFolder = tempFolder + runTempSubfolder;
    const bool made = UnpackLegacyFiles(tempFolder, runTempSubfolder, archiveFolder);
    const MadeFolder cleanup(made ? runFolder : std::string());

    const auto progress = std::make_unique<TForm10>(this);
    progress->show();
    progress->Animate1->SetActive(true);
    // Nothing unpacked is no conversion, whatever an import of nothing
    // would answer.
    if (!made || !platform::FileExists(runFolder + "kategorie"))
        return DbOpenFailed;
    NewCatalogue catalogue(archiveFolder + "dovra.db");
    const int result = DbImportLegacyFolder(archiveFolder, tempFolder, runTempSubfolder);
    if (result == DbOk)
        catalogue.Keep();
    return result;
}

int TForm1::ConvertLegacyDatabase(const std::string& tempFolder, const std::string& runTempSubfolder,
                                  const std::string& archiveFolder)
{
    if (!LegacyFilesPresent(archiveFolder))
        return DbOk;
    const int answer = boxes.MessageBox(
        this,
        QStringLiteral("Znaleziono plik bazy danych starszego typu\nCzy uaktualnić ją do nowszej wersji ?\n"
                       "Wybranie (Nie) spowoduje rozpoczęcie pracy w pustej bazie danych."),
        QStringLiteral("Zapytanie"), platform::MbYesNo | platform::MbIconQuestion);
    if (answer != platform::IdYes)
        return DbOk;
    const int result = UnpackAndImportLegacy(tempFolder, runTempSubfolder, archiveFolder);
    if (result != DbOk)
        return result;
    for (const std::string& path : GiveBackupNames(archiveFolder))
        WarnLegacyFileKept(this, path);
    return DbOk;
}

bool TForm1::UpdateCheckEndsStartup()
{
    return startupChoices_.checkForUpdate && CheckForUpdate(1);
}

// Whatever the conversion meets, an exception included, start-up goes on
// to show the catalogue; an exception is shown once here.
void TForm1::OfferLegacyConversion()
{
    platform::RunGuarded(boxes, [this] { ConvertLegacyDatabase(TempFolder, RunTempSubfolder, ArchiveFolder); });
}

std::string TForm1::ExternalLibraryPath(const char* fileName) const
{
    // With the executable's folder unknown, the library counts as missing.
    const std::string folder = platform::ExtractFilePath(exePath_);
    return folder.empty() ? std::string() : folder + fileName;
}

void TForm1::WarnLegacyFileKept(QWidget* owner, const std::string& path)
{
    // The start offers the conversion again only for what it looks for: a
    // half of the pair whose other half took its backup name is never offered.
    const bool offeredAgain = LegacyFilesPresent(platform::ExtractFilePath(path));
    boxes.MessageBox(
        owner,
        QStringLiteral("Nie udało się zmienić nazwy pliku bazy danych starszego typu :\n") +
            QString::fromStdString(path) + QStringLiteral("\nLinki z tego pliku są już w bazie danych") +
            (offeredAgain ? QStringLiteral(", a program zaproponuje jego konwersję ponownie") : QString()) +
            QStringLiteral(".\nPrzenieś ten plik w inne miejsce lub zmień jego nazwę."),
        QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
}

void TForm1::WarnLibraryMissing(const char* fileName)
{
    boxes.MessageBox(this,
                     QStringLiteral("Nie znaleziono wymaganej biblioteki '") + QString::fromUtf8(fileName) +
                         QStringLiteral("'"),
                     QStringLiteral("Ostrzeżenie"), platform::MbOk | platform::MbIconExclamation);
}
