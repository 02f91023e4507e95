// The catalogue folder switch that the options dialog's save runs when the
// catalogue folder changed: one test per road, each checking the folder in
// use, the "Archiwa" key, the lists and the files in both folders.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/Files.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/FileSizeLimit.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/OptionsDialog.h"

namespace fs = std::filesystem;

namespace {

const char* const kFound =
    "W wybranym katalogu archiwum linków znajduje się plik bazy danych archiwum.\nZostanie on wczytany przez program.";
const char* const kLegacy = "W wybranym katalogu archiwum znajdują się pliku starego typu.\nCzy uaktualnić je ?";
const char* const kMoveOrNew =
    "W wybranym katalogu archiwum linków nie ma pliku bazy danych.\nCzy przenieść tam aktualną bazę danych ? "
    "(przycisk Tak)\nCzy utworzyć nową pustą bazę ? (przycisk Nie)";
const char* const kNew = "W wybranym katalogu zostanie utworzona nowa baza danych archiwum.";
const char* const kMoveFailed =
    "Nie udało się przenieść bazy danych do wybranego katalogu archiwum linków.\nProgram nadal używa bazy danych z "
    "dotychczasowego katalogu.";
const char* const kCannotOpen = "Nie można otworzyć bazy danych w wybranym katalogu archiwum linków.";
const char* const kNoLibrary = "Nie znaleziono wymaganej biblioteki 'archuse.so'";

const char* const kStartupQuestion =
    "Znaleziono plik bazy danych starszego typu\nCzy uaktualnić ją do nowszej wersji ?\n"
    "Wybranie (Nie) spowoduje rozpoczęcie pracy w pustej bazie danych.";

// The warning about a converted legacy file that kept its name.
std::string KeptNameWarning(const std::string& path)
{
    return "Nie udało się zmienić nazwy pliku bazy danych starszego typu :\n" + path +
        "\nLinki z tego pliku są już w bazie danych, a program zaproponuje jego konwersję ponownie.\n"
        "Przenieś ten plik w inne miejsce lub zmień jego nazwę.";
}

const std::string kNoKey = "<none>";

// The box for a catalogue folder whose name the settings file cannot hold;
// the folder is shown with its line breaks as "\n" and "\r".
QString UnstorableFolderText(const QString& shown)
{
    return QString::fromUtf8("Nie można użyć katalogu archiwum linków \"") + shown +
        QString::fromUtf8("\".\nJego nazwa zawiera znak końca wiersza, a takiej nazwy nie da się zapisać w "
                          "pliku ustawień.\nWybierz inny katalog.");
}

// A box as the test expects it.
struct Box {
    const char* text;
    const char* caption;
    unsigned flags;
    const char* owner = "TForm3";
};

const Box kFoundBox{kFound, "Informacja", 0x40};
const Box kLegacyBox{kLegacy, "Zapytanie", 0x24};
const Box kMoveOrNewBox{kMoveOrNew, "Zapytanie", 0x24};
const Box kNewBox{kNew, "Informacja", 0x40};
const Box kMoveFailedBox{kMoveFailed, "Ostrzeżenie", 0x30};
const Box kCannotOpenBox{kCannotOpen, "Ostrzeżenie", 0x30};
const Box kNoLibraryBox{kNoLibrary, "Ostrzeżenie", 0x30, "TForm1"};

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// One field of each row of a list: "<n>" of categories, "<l>" of links.
QStringList RowFields(const LineListBox& box, const char* tag)
{
    QStringList names;
    for (const std::string& line : ListLines(box))
        names << platform::ToQString(GetTagValue(line, tag));
    return names;
}

QStringList RowNames(const LineListBox& box)
{
    return RowFields(box, "<n>");
}

QStringList RowLinks(const LineListBox& box)
{
    return RowFields(box, "<l>");
}

// The category names stored in a folder's catalogue.
QStringList StoredCategories(const std::string& folder)
{
    Lines lines;
    DbGetCategories(folder, lines);
    QStringList names;
    for (const std::string& line : lines)
        names << platform::ToQString(GetTagValue(line, "<n>"));
    return names;
}

// Scripted boxes that run an action when a box with a given text is shown,
// before it is answered: something that changes while the user reads it.
class BoxesActingOnText : public platform::ScriptedBoxes {
public:
    QString text;
    std::function<void()> action;

    int MessageBox(QWidget* owner, const QString& shown, const QString& caption, unsigned flags) override
    {
        if (shown == text && action)
            action();
        return ScriptedBoxes::MessageBox(owner, shown, caption, flags);
    }
};

// A small tmpfs mounted on a folder for the guard's lifetime and filled up,
// so that nothing more can be written there.
class FullFileSystem {
public:
    explicit FullFileSystem(std::string folder) : folder_(std::move(folder))
    {
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (!mounted_)
            return;
        const int fd = ::open((folder_ + "filler").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        const std::string block(4096, 'f');
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {}
        if (fd >= 0)
            ::close(fd);
    }
    ~FullFileSystem()
    {
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    bool Mounted() const { return mounted_; }

private:
    std::string folder_;
    bool mounted_ = false;
};

}  // namespace

class FolderSwitchTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    std::string newFolder;
    std::string oldDatabase;

    // The current catalogue: "Stara" with one link, one link uncategorised.
    TForm1& StartWithCatalogue()
    {
        const int old = fx->AddCategory("Stara");
        fx->AddLink(old, "http://stary.pl", "S");
        fx->AddLink(0, "http://luzny.pl", "L");
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);  // "Stara"
        return form;
    }

    // A catalogue in the new folder: "Nowa", and two uncategorised links.
    void CatalogueInNewFolder()
    {
        QCOMPARE(DbInit(newFolder), DbOk);
        QCOMPARE(DbAddCategories(newFolder, {CategoryLine(-1, 1, "Nowa", "")}), DbOk);
        QCOMPARE(DbInsertLinks(newFolder,
                               {LinkLine(-1, 0, 1, "http://u1.pl", "U1"), LinkLine(-1, 0, 2, "http://u2.pl", "U2")}),
                 DbOk);
    }

    // The test library as "archuse.so", unpacking two categories.
    void ArchiveLibraryUnpacking()
    {
        const std::string source = fx->Root() + "unpacked/";
        fs::create_directories(source);
        WriteFile(source + "kategorie", "<n>Praca</n>\r\n<n>Dom</n>\r\n");
        WriteFile(source + "kat0", "<n>http://p1.pl</n><o>P1</o>\r\n");
        WriteFile(source + "kat1", "<n>http://d1.pl</n><o>D1</o>\r\n");
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(source);
    }

    // Saves the dialog with folder in its catalogue field, the scripted
    // answers given in order.
    ModalRun SaveWithFolder(const std::string& folder, std::initializer_list<int> answers = {})
    {
        for (int answer : answers)
            fx->boxes.Script(platform::BoxAnswer::Button(answer));
        return SaveWithFolderOn(fx->Form(), folder);
    }

    // The same for a window of the test's own, its boxes scripted already.
    static ModalRun SaveWithFolderOn(TForm1& form, const std::string& folder)
    {
        return RunModal<TForm3>([&form] { form.ToolButton13->trigger(); },
                                [&folder](TForm3& d) {
                                    TForm3::SetFolderText(*d.Edit2, folder);
                                    QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                });
    }

    void VerifyBoxes(const std::vector<Box>& expected)
    {
        const auto asked = fx->boxes.TakeAsked();
        QStringList got;
        for (const auto& box : asked)
            got << box.Describe() + QStringLiteral(" owner ") + box.owner;
        QStringList want;
        for (const Box& box : expected)
            want << platform::AskedBox{platform::BoxKind::MessageBox,
                                       QString::fromUtf8(box.text),
                                       QString::fromUtf8(box.caption),
                                       box.flags,
                                       {},
                                       {}}
                        .Describe() +
                    QStringLiteral(" owner ") + QString::fromUtf8(box.owner);
        QCOMPARE(got, want);
    }

    std::string Archiwa() { return fx->Settings().ReadString("Sciezki", "Archiwa", kNoKey); }

    // The old catalogue still in use: folder, key, file and lists.
    void VerifyOldCatalogueKept(TForm1& form)
    {
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(Archiwa(), kNoKey);
        QVERIFY(fs::is_regular_file(oldDatabase));
        QCOMPARE(RowNames(*form.ListBox2), (QStringList{"Bez kategorii", "Stara", "Wszystkie"}));
        QCOMPARE(form.ListBox2->ItemIndex(), 1);
        QCOMPARE(RowLinks(*form.ListBox1), QStringList{"http://stary.pl"});
    }

    // The new folder's catalogue opened: folder, key and lists, Uncategorised chosen.
    void VerifyOpened(TForm1& form, const QStringList& categories, const QStringList& uncategorised)
    {
        QCOMPARE(form.ArchiveFolder, newFolder);
        QCOMPARE(Archiwa(), newFolder);
        QStringList rows{"Bez kategorii"};
        rows << categories << "Wszystkie";
        QCOMPARE(RowNames(*form.ListBox2), rows);
        QCOMPARE(form.ListBox2->ItemIndex(), 0);
        QCOMPARE(RowLinks(*form.ListBox1), uncategorised);
        QCOMPARE(StoredCategories(newFolder), categories);
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        newFolder = fx->Root() + "nowy katalog/";
        fs::create_directories(newFolder);
        oldDatabase = fx->SettingsFolder() + "dovra.db";
    }
    void cleanup() { EndFixture(fx); }

    // A folder whose name holds a line break cannot be stored under
    // "Archiwa" as it is: the save says so before anything else, and
    // nothing is copied, deleted, written or switched; the next start shows
    // the same links.
    void folderTheSettingsFileCannotHold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("a\\nb");
        QTest::newRow("carriage return") << QStringLiteral("x\r[Opcje]\rWersja=0")
                                         << QStringLiteral("x\\r[Opcje]\\rWersja=0");
        QTest::newRow("CR LF at the end") << QStringLiteral("koniec\r\n") << QStringLiteral("koniec\\r\\n");
    }

    void folderTheSettingsFileCannotHold()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        const int old = fx->AddCategory("Stara");
        fx->AddLink(old, "http://stary.pl", "S");
        fx->AddLink(0, "http://luzny.pl", "L");
        const std::string settings = "[Opcje]\r\nWersja=1\r\nUstPoz=1\r\n";
        fx->WriteSettings(settings);
        TForm1& form = fx->Start();
        const QStringList links = RowLinks(*form.ListBox1);
        QCOMPARE(links.size(), 2);
        const std::string folder = fx->Root() + name.toStdString() + "/";
        fs::create_directories(folder);
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);

        fx->boxes.Script(platform::BoxAnswer::Path(QString::fromStdString(folder)));
        bool openAfterSave = false;
        const ModalRun run = RunModal<TForm3>([&form] { form.ToolButton13->trigger(); },
                                              [&](TForm3& d) {
                                                  QTest::mouseClick(d.BitBtn3, Qt::LeftButton);
                                                  d.CheckBox1->setChecked(true);
                                                  QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                                  openAfterSave = d.isVisible();
                                              });
        QVERIFY(run.opened);
        QVERIFY(openAfterSave);
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].kind, platform::BoxKind::SelectDirectory);
        QCOMPARE(asked[1].Describe(),
                 (platform::AskedBox{platform::BoxKind::MessageBox,
                                     UnstorableFolderText(QString::fromStdString(fx->Root()) + shown + u'/'),
                                     QString::fromUtf8("Ostrzeżenie"),
                                     0x30,
                                     {},
                                     {}})
                     .Describe());
        QCOMPARE(asked[1].owner, QStringLiteral("TForm3"));
        QVERIFY(fx->boxes.TakeUnscripted().empty());  // no question was asked

        QCOMPARE(fx->ReadSettingsFile(), settings);
        QCOMPARE(platform::ReadFileBytes(oldDatabase), oldBytes);
        QVERIFY(fs::is_empty(folder));
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QVERIFY(!form.Timer1->Enabled());
        QCOMPARE(RowLinks(*form.ListBox1), links);

        fx->DestroyForm();
        TForm1& next = fx->Start();
        QCOMPARE(next.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(RowLinks(*next.ListBox1), links);
    }

    // Blanks and quotes in a folder's name are stored so that they read
    // back as they are: the move goes through, "Archiwa" reads back as the
    // folder in use, and the next start shows the moved links.
    void folderNamesWithBlanksAndQuotes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blank at the start") << QStringLiteral(" przed");
        QTest::newRow("blank at the end") << QStringLiteral("po ");
        QTest::newRow("blanks at both ends") << QStringLiteral("  oba  ");
        QTest::newRow("tab") << QStringLiteral("\tt\t");
        QTest::newRow("double quotes") << QStringLiteral("\"cytat\"");
        QTest::newRow("single quotes") << QStringLiteral("'cytat'");
        QTest::newRow("a quote alone") << QStringLiteral("\"");
    }

    void folderNamesWithBlanksAndQuotes()
    {
        QFETCH(QString, name);
        const int old = fx->AddCategory("Stara");
        fx->AddLink(old, "http://stary.pl", "S");
        fx->AddLink(0, "http://luzny.pl", "L");
        TForm1& form = fx->Start();
        const QStringList links = RowLinks(*form.ListBox1);
        const std::string folder = fx->Root() + name.toStdString() + "/";
        fs::create_directories(folder);
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);
        fx->boxes.Script(platform::BoxAnswer::Path(QString::fromStdString(folder)));
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        const ModalRun run = RunModal<TForm3>([&form] { form.ToolButton13->trigger(); },
                                              [](TForm3& d) {
                                                  QTest::mouseClick(d.BitBtn3, Qt::LeftButton);
                                                  QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                              });
        QVERIFY(run.opened && !run.leftOpen);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[1].text, QString::fromUtf8(kMoveOrNew));
        QCOMPARE(form.ArchiveFolder, folder);
        QCOMPARE(Archiwa(), folder);
        QCOMPARE(platform::ReadFileBytes(folder + "dovra.db"), oldBytes);
        QVERIFY(!fs::exists(oldDatabase));

        fx->DestroyForm();
        TForm1& next = fx->Start();
        QCOMPARE(next.ArchiveFolder, folder);
        QCOMPARE(RowLinks(*next.ListBox1), links);
    }

    void unchangedFolderDoesNothing()
    {
        TForm1& form = StartWithCatalogue();
        const ModalRun run = SaveWithFolder(fx->SettingsFolder());
        QVERIFY(run.opened && !run.leftOpen);
        VerifyOldCatalogueKept(form);
    }

    // A catalogue found there is taken over; legacy files beside it are not
    // looked at and keep their names.
    void databaseFound_data()
    {
        QTest::addColumn<bool>("legacyFiles");
        QTest::newRow("database only") << false;
        QTest::newRow("database and legacy files") << true;
    }

    void databaseFound()
    {
        QFETCH(bool, legacyFiles);
        TForm1& form = StartWithCatalogue();
        CatalogueInNewFolder();
        if (legacyFiles)
            for (const char* name : {"dovra.ldb", "dovrad1.z", "dovrad2.z"})
                WriteFile(newFolder + name, name);
        const ModalRun run = SaveWithFolder(newFolder);
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kFoundBox});
        VerifyOpened(form, {"Nowa"}, {"http://u1.pl", "http://u2.pl"});
        if (legacyFiles)
            QCOMPARE(FolderNames(newFolder),
                     (std::vector<std::string>{"dovra.db", "dovra.ldb", "dovrad1.z", "dovrad2.z"}));
        QVERIFY(fs::is_regular_file(oldDatabase));
        QVERIFY(fx->Library().Calls().empty());
    }

    // All links chosen after a switch are the links of the catalogue now in
    // use, never those of the one shown before the switch, there and back.
    void allLinksAfterASwitchAreTheNewCatalogues()
    {
        TForm1& form = StartWithCatalogue();
        CatalogueInNewFolder();
        const auto chooseAll = [&form] { ChooseCategory(form, form.ListBox2->Count() - 1); };
        chooseAll();
        const QStringList oldLinks = RowLinks(*form.ListBox1);
        QCOMPARE(oldLinks.size(), 2);

        QVERIFY(!SaveWithFolder(newFolder).leftOpen);
        VerifyBoxes({kFoundBox});
        chooseAll();
        QCOMPARE(RowLinks(*form.ListBox1), (QStringList{"http://u1.pl", "http://u2.pl"}));

        QVERIFY(!SaveWithFolder(fx->SettingsFolder()).leftOpen);
        VerifyBoxes({kFoundBox});
        chooseAll();
        QCOMPARE(RowLinks(*form.ListBox1), oldLinks);
        QVERIFY(!form.Busy);
    }

    // Yes to the legacy files: they are converted into the new folder, the
    // catalogue is opened there and the files are set aside.
    void legacyConverted_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("dovra.ldb") << QStringList{"dovra.ldb"} << QStringList{"dovra.db", "dovra.ldb.bak"};
        QTest::newRow("archive pair") << QStringList{"dovrad1.z", "dovrad2.z"}
                                      << QStringList{"dovra.db", "dovrad1.z.bak", "dovrad2.z.bak"};
    }

    void legacyConverted()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, after);
        TForm1& form = StartWithCatalogue();
        ArchiveLibraryUnpacking();
        for (const QString& name : files)
            WriteFile(newFolder + name.toStdString(), "legacy");
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdYes});
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kLegacyBox});
        VerifyOpened(form, {"Praca", "Dom"}, {"http://p1.pl"});  // kat0 holds the uncategorised links
        std::vector<std::string> expected;
        for (const QString& name : after)
            expected.push_back(name.toStdString());
        QCOMPARE(FolderNames(newFolder), expected);
        const auto calls = fx->Library().Calls();
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls[0].exportName, std::string("_OpenArch"));
        QCOMPARE(calls[0].texts[2], std::optional<std::string>(newFolder));
        QVERIFY(fs::is_regular_file(oldDatabase));
    }

    // No to the legacy files: they are set aside unconverted (a pair only
    // whole, a taken ".bak" name never replaced), then the question about
    // the current catalogue; No starts an empty catalogue there.
    void legacyRefused_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("dovra.ldb") << QStringList{"dovra.ldb"} << QStringList{"dovra.db", "dovra.ldb.bak"};
        QTest::newRow("archive pair") << QStringList{"dovrad1.z", "dovrad2.z"}
                                      << QStringList{"dovra.db", "dovrad1.z.bak", "dovrad2.z.bak"};
        QTest::newRow("dovrad1.z alone") << QStringList{"dovrad1.z"} << QStringList{"dovra.db", "dovrad1.z"};
        QTest::newRow(".bak name taken") << QStringList{"dovra.ldb", "dovra.ldb.bak"}
                                         << QStringList{"dovra.db", "dovra.ldb", "dovra.ldb.bak"};
    }

    void legacyRefused()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, after);
        TForm1& form = StartWithCatalogue();
        ArchiveLibraryUnpacking();
        for (const QString& name : files)
            WriteFile(newFolder + name.toStdString(), name.toStdString());
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdNo, platform::IdNo});
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kLegacyBox, kMoveOrNewBox});
        VerifyOpened(form, {}, {});
        std::vector<std::string> expected;
        for (const QString& name : after)
            expected.push_back(name.toStdString());
        QCOMPARE(FolderNames(newFolder), expected);
        for (const QString& name : files) {
            // Every file kept its bytes, under its old name or the ".bak" one.
            const std::string path = newFolder + name.toStdString();
            const std::string kept =
                fs::exists(path) ? platform::ReadFileBytes(path) : platform::ReadFileBytes(path + ".bak");
            QCOMPARE(kept, name.toStdString());
        }
        QVERIFY(fx->Library().Calls().empty());
        QVERIFY(fs::is_regular_file(oldDatabase));
    }

    // After a conversion a legacy file whose ".bak" name is taken keeps its
    // name: the dialog says so, naming it, and opens the converted catalogue
    // as always; the next start offers the file again, and No keeps the rows.
    void convertedFileKeepsItsName_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("dovra.ldb") << QStringList{"dovra.ldb"};
        QTest::newRow("archive pair") << QStringList{"dovrad1.z", "dovrad2.z"};
    }

    void convertedFileKeepsItsName()
    {
        QFETCH(QStringList, files);
        TForm1& form = StartWithCatalogue();
        ArchiveLibraryUnpacking();
        std::vector<std::string> names{"dovra.db"};
        std::vector<std::string> warnings;
        for (const QString& file : files) {
            const std::string name = file.toStdString();
            WriteFile(newFolder + name, "legacy");
            WriteFile(newFolder + name + ".bak", "older");
            names.insert(names.end(), {name, name + ".bak"});
            warnings.push_back(KeptNameWarning(newFolder + name));
        }
        std::sort(names.begin(), names.end());
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdYes});
        QVERIFY(!run.leftOpen);
        std::vector<Box> boxes{kLegacyBox};
        for (const std::string& warning : warnings)
            boxes.push_back({warning.c_str(), "Ostrzeżenie", 0x30});
        VerifyBoxes(boxes);
        VerifyOpened(form, {"Praca", "Dom"}, {"http://p1.pl"});
        const WindowFixture::Rows rows{{"", "http://p1.pl"}, {"Praca", "http://d1.pl"}};
        const std::string sql = "SELECT IFNULL(C.NAME, ''), L.LINK FROM LINKS L LEFT JOIN CATEGS C ON C.ID = L.CAT_ID "
                                "ORDER BY L.ID";
        QCOMPARE(fx->QueryIn(newFolder, sql), rows);
        QCOMPARE(FolderNames(newFolder), names);
        for (const QString& file : files) {
            QCOMPARE(platform::ReadFileBytes(newFolder + file.toStdString()), std::string("legacy"));
            QCOMPARE(platform::ReadFileBytes(newFolder + file.toStdString() + ".bak"), std::string("older"));
        }

        fx->DestroyForm();
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdNo));
        fx->Start();
        VerifyBoxes({{kStartupQuestion, "Zapytanie", 0x24, "TForm1"}});
        QCOMPARE(fx->QueryIn(newFolder, sql), rows);
    }

    // A conversion that ends in an exception (a legacy file that cannot be
    // read) removes the catalogue that it made in the new folder: the next
    // save finds the legacy file again and converts it.
    void conversionExceptionLeavesNoCatalogue()
    {
        TForm1& form = StartWithCatalogue();
        ArchiveLibraryUnpacking();
        const std::string unpacked = fx->Root() + "unpacked/";
        fs::remove(unpacked + "kat1");
        fs::create_symlink("/proc/self/mem", unpacked + "kat1");
        WriteFile(newFolder + "dovra.ldb", "legacy");
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        std::vector<std::string> afterFailure;
        QString failure;
        const ModalRun run = RunModal<TForm3>([this] { fx->Form().ToolButton13->trigger(); },
                                              [&](TForm3& d) {
                                                  TForm3::SetFolderText(*d.Edit2, newFolder);
                                                  QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                                  afterFailure = FolderNames(newFolder);
                                                  const auto asked = fx->boxes.TakeAsked();
                                                  failure = asked.size() == 2 ? asked[1].Describe() : QString();
                                                  fs::remove(unpacked + "kat1");
                                                  WriteFile(unpacked + "kat1", "<n>http://d1.pl</n><o>D1</o>\r\n");
                                                  QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                              });
        QVERIFY(!run.leftOpen);
        QVERIFY2(failure.startsWith(QStringLiteral("ShowException")), qPrintable(failure));
        QCOMPARE(afterFailure, std::vector<std::string>{"dovra.ldb"});
        VerifyBoxes({kLegacyBox});
        VerifyOpened(form, {"Praca", "Dom"}, {"http://p1.pl"});
        QCOMPARE(fx->QueryIn(newFolder, "SELECT COUNT(*) FROM CATEGS UNION ALL SELECT COUNT(*) FROM LINKS"),
                 (WindowFixture::Rows{{"2"}, {"2"}}));
        QCOMPARE(FolderNames(newFolder), (std::vector<std::string>{"dovra.db", "dovra.ldb.bak"}));
    }

    // A catalogue that appeared in the new folder while the question was
    // open is not the conversion's: an exception in the conversion leaves it.
    void conversionExceptionKeepsACatalogueItDidNotMake()
    {
        fx->AddCategory("Stara");
        const std::string unpacked = fx->Root() + "unpacked/";
        fs::create_directories(unpacked);
        WriteFile(unpacked + "kategorie", "<n>Praca</n>\r\n");
        fs::create_symlink("/proc/self/mem", unpacked + "kat1");
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(unpacked);
        WriteFile(newFolder + "dovra.ldb", "legacy");
        BoxesActingOnText boxes;
        boxes.text = QString::fromUtf8(kLegacy);
        boxes.action = [this] { CatalogueInNewFolder(); };
        boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        TForm1 form(boxes, fx->ExePath());
        platform::RunGuarded(boxes, [&] { form.FormCreate(); });
        const ModalRun run = SaveWithFolderOn(form, newFolder);
        QVERIFY(run.leftOpen);
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].text, QString::fromUtf8(kLegacy));
        QCOMPARE(asked[1].kind, platform::BoxKind::ShowException);
        QVERIFY(boxes.TakeUnscripted().empty());
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(fx->QueryIn(newFolder, "SELECT NAME FROM CATEGS"), WindowFixture::Rows{{"Nowa"}});
        QCOMPARE(fx->QueryIn(newFolder, "SELECT LINK FROM LINKS ORDER BY ID"),
                 (WindowFixture::Rows{{"http://u1.pl"}, {"http://u2.pl"}}));
        QCOMPARE(FolderNames(newFolder), (std::vector<std::string>{"dovra.db", "dovra.ldb"}));
    }

    // A conversion that fails keeps the old folder; the legacy files are set
    // aside all the same and the question about the current catalogue
    // follows.
    void conversionFails_data()
    {
        QTest::addColumn<bool>("libraryMissing");
        QTest::addColumn<int>("moveAnswer");
        QTest::newRow("library missing, then the move") << true << int(platform::IdYes);
        QTest::newRow("nothing unpacked, then a new catalogue") << false << int(platform::IdNo);
    }

    void conversionFails()
    {
        QFETCH(bool, libraryMissing);
        QFETCH(int, moveAnswer);
        TForm1& form = StartWithCatalogue();
        if (!libraryMissing)
            fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");  // unpacks nothing
        WriteFile(newFolder + "dovra.ldb", "legacy");
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);
        std::string folderAtQuestion;
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdYes, moveAnswer});
        QVERIFY(!run.leftOpen);
        if (libraryMissing)
            VerifyBoxes({kLegacyBox, kNoLibraryBox, kMoveOrNewBox});
        else
            VerifyBoxes({kLegacyBox, kMoveOrNewBox});
        QVERIFY(fs::is_regular_file(newFolder + "dovra.ldb.bak"));
        QVERIFY(!fs::exists(newFolder + "dovra.ldb"));
        if (moveAnswer == platform::IdYes) {
            // The question was about the old folder's catalogue: it moved.
            QCOMPARE(platform::ReadFileBytes(newFolder + "dovra.db"), oldBytes);
            QVERIFY(!fs::exists(oldDatabase));
            QCOMPARE(form.ArchiveFolder, newFolder);
            QCOMPARE(Archiwa(), newFolder);
        } else {
            VerifyOpened(form, {}, {});
            QVERIFY(fs::is_regular_file(oldDatabase));
        }
    }

    // Yes to the move: the same bytes in the new folder, the old file gone,
    // the lists as they were.
    void moveCatalogue()
    {
        TForm1& form = StartWithCatalogue();
        const std::vector<std::string> categories = ListLines(*form.ListBox2);
        const std::vector<std::string> links = ListLines(*form.ListBox1);
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdYes});
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kMoveOrNewBox});
        QCOMPARE(FolderNames(newFolder), std::vector<std::string>{"dovra.db"});
        QCOMPARE(platform::ReadFileBytes(newFolder + "dovra.db"), oldBytes);
        QVERIFY(!fs::exists(oldDatabase));
        QCOMPARE(form.ArchiveFolder, newFolder);
        QCOMPARE(Archiwa(), newFolder);
        QCOMPARE(ListLines(*form.ListBox2), categories);
        QCOMPARE(ListLines(*form.ListBox1), links);
        QCOMPARE(form.ListBox2->ItemIndex(), 1);
        QCOMPARE(StoredCategories(newFolder), QStringList{"Stara"});
    }

    // A copy that fails (a folder has the name "dovra.db" there) changes
    // nothing and says so.
    void moveFails()
    {
        TForm1& form = StartWithCatalogue();
        fs::create_directory(newFolder + "dovra.db");
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdYes});
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kMoveOrNewBox, kMoveFailedBox});
        VerifyOldCatalogueKept(form);
        QCOMPARE(platform::ReadFileBytes(oldDatabase), oldBytes);
        QCOMPARE(FolderNames(newFolder), std::vector<std::string>{"dovra.db"});
        QVERIFY(fs::is_empty(newFolder + "dovra.db"));
    }

    void noToTheMoveStartsAnEmptyCatalogue()
    {
        TForm1& form = StartWithCatalogue();
        const ModalRun run = SaveWithFolder(newFolder, {platform::IdNo});
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kMoveOrNewBox});
        VerifyOpened(form, {}, {});
        QCOMPARE(StoredCategories(fx->SettingsFolder()), QStringList{"Stara"});
    }

    void noCurrentCatalogueStartsAnEmptyOne()
    {
        TForm1& form = StartWithCatalogue();
        fs::remove(oldDatabase);
        const ModalRun run = SaveWithFolder(newFolder);
        QVERIFY(!run.leftOpen);
        VerifyBoxes({kNewBox});
        VerifyOpened(form, {}, {});
    }

    // The new folder's disk is full: the empty catalogue answered with "Nie"
    // cannot be made. The switch fails as any failed open does, and the file
    // it began goes again, so a later switch finds no catalogue there. Run on
    // a small file system of its own where one can be mounted, and with a
    // limit on the size of the files the program writes.
    void fullDiskLeavesNoCatalogue_data()
    {
        QTest::addColumn<bool>("mounted");
        QTest::newRow("full file system") << true;
        QTest::newRow("file size limit") << false;
    }
    void fullDiskLeavesNoCatalogue()
    {
        QFETCH(bool, mounted);
        TForm1& form = StartWithCatalogue();
        std::unique_ptr<FullFileSystem> full;
        if (mounted) {
            full = std::make_unique<FullFileSystem>(newFolder);
            if (!full->Mounted())
                QSKIP("cannot mount a small tmpfs here (needs root and mount rights); the file size limit row "
                      "covers the same road");
        }
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdNo));
        const std::vector<std::string> before = FolderNames(newFolder);
        {
            // The settings file's few keys still fit; the catalogue's first
            // page does not.
            const FileSizeLimit limit(mounted ? RLIM_INFINITY : 1024);
            QVERIFY(limit.Set());
            const ModalRun run = SaveWithFolderOn(form, newFolder);
            QVERIFY(!run.leftOpen);
        }
        const auto asked = fx->boxes.TakeAsked();
        QVERIFY(asked.size() >= 2);
        QCOMPARE(asked.front().text, QString::fromUtf8(kMoveOrNew));
        QCOMPARE(asked.back().text, QString::fromUtf8(kCannotOpen));
        VerifyOldCatalogueKept(form);
        QCOMPARE(FolderNames(newFolder), before);
    }

    // A "dovra.db" that is no database cannot be opened: nothing changes.
    void notADatabase()
    {
        TForm1& form = StartWithCatalogue();
        const std::string garbage(4096, 'x');
        WriteFile(newFolder + "dovra.db", garbage);
        const ModalRun run = SaveWithFolder(newFolder);
        QVERIFY(!run.leftOpen);
        // The store shows SQLite's own message first.
        auto asked = fx->boxes.TakeAsked();
        QVERIFY(asked.size() >= 2);
        QCOMPARE(asked.front().text, QString::fromUtf8(kFound));
        QCOMPARE(asked.back().text, QString::fromUtf8(kCannotOpen));
        QCOMPARE(asked.back().caption, QString::fromUtf8("Ostrzeżenie"));
        QCOMPARE(asked.back().flags, 0x30u);
        QCOMPARE(asked.back().owner, QStringLiteral("TForm3"));
        VerifyOldCatalogueKept(form);
        QCOMPARE(platform::ReadFileBytes(newFolder + "dovra.db"), garbage);
    }

    // The program is closed (the tray menu works while the dialog's box
    // waits) before a question of the switch is answered: the closed box
    // counts as no answer, and the ending program takes no other catalogue,
    // sets no files aside and asks nothing more.
    void closeWhileTheSwitchAsks_data()
    {
        QTest::addColumn<bool>("legacyFiles");
        QTest::addColumn<QString>("question");
        QTest::newRow("move or new") << false << QString::fromUtf8(kMoveOrNew);
        QTest::newRow("legacy files") << true << QString::fromUtf8(kLegacy);
    }

    void closeWhileTheSwitchAsks()
    {
        QFETCH(bool, legacyFiles);
        QFETCH(QString, question);
        const int old = fx->AddCategory("Stara");
        fx->AddLink(old, "http://stary.pl", "S");
        if (legacyFiles)
            WriteFile(newFolder + "dovra.ldb", "dovra.ldb");
        BoxesActingOnText boxes;
        TForm1 form(boxes, fx->ExePath());
        platform::RunGuarded(boxes, [&] { form.FormCreate(); });
        ChooseCategory(form, 1);
        boxes.text = question;
        // A question box closed with the program answers as cancelled.
        boxes.action = [&form] { form.Zamknij2->trigger(); };
        boxes.Script(platform::BoxAnswer::Button(platform::IdCancel));
        const ModalRun run = SaveWithFolderOn(form, newFolder);
        QVERIFY(run.opened && !run.leftOpen);
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].text, question);
        QVERIFY(boxes.TakeUnscripted().empty());
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(Archiwa(), kNoKey);
        QCOMPARE(FolderNames(newFolder),
                 legacyFiles ? std::vector<std::string>{"dovra.ldb"} : std::vector<std::string>{});
        QCOMPARE(StoredCategories(fx->SettingsFolder()), QStringList{"Stara"});
    }

    // "Archiwa" cannot be written in the move (the settings file's name was
    // taken while the question was open): the error is shown, the dialog
    // stays open, and the old catalogue stays in use and in its folder.
    void failedWriteInTheMove()
    {
        fx->AddCategory("Stara");
        BoxesActingOnText boxes;
        boxes.text = QString::fromUtf8(kMoveOrNew);
        boxes.action = [this] {
            fs::remove(fx->SettingsPath());
            fs::create_directory(fx->SettingsPath());
        };
        boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        TForm1 form(boxes, fx->ExePath());
        platform::RunGuarded(boxes, [&] { form.FormCreate(); });
        ChooseCategory(form, 1);
        const std::string oldBytes = platform::ReadFileBytes(oldDatabase);
        const ModalRun run = SaveWithFolderOn(form, newFolder);
        QVERIFY(run.leftOpen);
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].text, QString::fromUtf8(kMoveOrNew));
        QCOMPARE(asked[1].kind, platform::BoxKind::ShowException);
        QCOMPARE(asked[1].text, QStringLiteral("Unable to write to ") + QString::fromStdString(fx->SettingsPath()));
        QVERIFY(boxes.TakeUnscripted().empty());
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(platform::ReadFileBytes(oldDatabase), oldBytes);
        QCOMPARE(RowNames(*form.ListBox2), (QStringList{"Bez kategorii", "Stara", "Wszystkie"}));
        QVERIFY(fs::is_empty(newFolder));  // the copy made for the move went again
    }

    // "Archiwa" cannot be written after a conversion (something took the
    // settings file's name meanwhile): the error is shown, the dialog stays
    // open and usable, and the old catalogue stays in use.
    void failedWriteAfterConversion()
    {
        TForm1& form = StartWithCatalogue();
        ArchiveLibraryUnpacking();
        fx->Library().SetFolderMadeWhileUnpacking(fx->SettingsPath());
        WriteFile(newFolder + "dovra.ldb", "legacy");
        fx->boxes.Script(platform::BoxAnswer::Button(platform::IdYes));
        bool openAndEnabled = false;
        const ModalRun run = RunModal<TForm3>([this] { fx->Form().ToolButton13->trigger(); },
                                              [&](TForm3& d) {
                                                  TForm3::SetFolderText(*d.Edit2, newFolder);
                                                  QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                                                  openAndEnabled = d.isVisible() && d.isEnabled();
                                              });
        QVERIFY(run.leftOpen);
        QVERIFY(openAndEnabled);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].text, QString::fromUtf8(kLegacy));
        QCOMPARE(asked[1].kind, platform::BoxKind::ShowException);
        QCOMPARE(asked[1].text, QStringLiteral("Unable to write to ") + QString::fromStdString(fx->SettingsPath()));
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(RowNames(*form.ListBox2), (QStringList{"Bez kategorii", "Stara", "Wszystkie"}));
        QVERIFY(fs::is_regular_file(newFolder + "dovra.ldb.bak"));
        QVERIFY(fs::is_regular_file(oldDatabase));
    }
};

QTEST_MAIN(FolderSwitchTest)
#include "FolderSwitchTest.moc"
