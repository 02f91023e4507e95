// Converting a catalogue of the older storage generation, and the external
// update and archive libraries at start-up: the boxes asked, the library's
// calls, the legacy files and their backups, the rows imported and the
// run's temp subfolder.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QtTest>

#include "store/Db_funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/ConversionProgress.h"

namespace fs = std::filesystem;
using platform::BoxAnswer;
using platform::BoxKind;

namespace {

const QString kQuestion =
    QStringLiteral("Znaleziono plik bazy danych starszego typu\nCzy uaktualnić ją do nowszej wersji ?\n"
                   "Wybranie (Nie) spowoduje rozpoczęcie pracy w pustej bazie danych.");
const QString kNoTempFolder = QStringLiteral("Nie można utworzyć katalogu plików tymczasowych :\n");

// The warning about a converted legacy file that kept its name; it says
// that the conversion is offered again only when the next start offers it.
QString KeptNameWarning(const std::string& path, bool offeredAgain = true)
{
    return QStringLiteral("Nie udało się zmienić nazwy pliku bazy danych starszego typu :\n") +
        QString::fromStdString(path) +
        (offeredAgain ? QStringLiteral("\nLinki z tego pliku są już w bazie danych, a program zaproponuje jego "
                                       "konwersję ponownie.\nPrzenieś ten plik w inne miejsce lub zmień jego nazwę.")
                      : QStringLiteral("\nLinki z tego pliku są już w bazie danych.\nPrzenieś ten plik w inne "
                                       "miejsce lub zmień jego nazwę."));
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// An unpacked legacy catalogue of three categories: kat0 holds the links
// without a category, "kat" + (i + 1) those of line i.
void WriteUnpackedCatalogue(const std::string& folder)
{
    fs::create_directories(folder);
    WriteFile(folder + "kategorie", Cp("<n>Praca</n>\r\n<n>Łódź i okolice</n>\r\n<n>Gry</n>\r\n"));
    WriteFile(folder + "kat0", "<n>http://luzny.pl</n><o>bez kategorii</o>\r\n");
    WriteFile(folder + "kat1", Cp("<n>http://praca.pl</n><o>Żółta praca</o>\r\n<n>http://it's.pl</n><o>it's</o>\r\n"));
    WriteFile(folder + "kat2", "<n>http://lodz.pl</n><o></o>\r\n");
    WriteFile(folder + "kat3", "");
}

// Which library stands in the executable's folder as "archuse.so".
enum class Archive { TestLibrary, Missing, WithoutExport };
// What already has the run subfolder's name.
enum class Taken { Nothing, Link, Folder };

struct Case {
    std::vector<std::string> legacy{};        // legacy files in the archive folder
    std::vector<std::string> olderBackups{};  // ".bak" files from an earlier conversion
    int answer = 0;                           // 0: no question expected
    Archive archive = Archive::TestLibrary;
    bool unpacks = true;
    bool withoutCategoryFile = false;  // the library leaves link files only
    Taken taken = Taken::Nothing;
    bool noTempFolder = false;
    bool brokenDatabase = false;
    int result = DbOk;
    QStringList warnings{};              // texts shown after the question, in order
    std::vector<std::string> renamed{};  // legacy files expected under their ".bak" name
    bool imported = false;
    bool libraryCalled = false;
};

}  // namespace

Q_DECLARE_METATYPE(Case)

class LegacyConversionTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

    std::string Unpacked() const { return fx->Root() + "unpacked/"; }
    std::string Archive() const { return fx->SettingsFolder(); }
    std::string RunFolder(const TForm1& form) const { return form.TempFolder + form.RunTempSubfolder; }

    void CheckImportedRows()
    {
        QCOMPARE(fx->Query("SELECT NAME, POS, DESCR FROM CATEGS ORDER BY ID"),
                 (WindowFixture::Rows{{"Praca", "1", ""}, {Cp("Łódź i okolice"), "2", ""}, {"Gry", "3", ""}}));
        const auto ids = fx->Query("SELECT ID FROM CATEGS ORDER BY ID");
        QCOMPARE(fx->Query("SELECT CAT_ID, POS, LINK, DESCR FROM LINKS ORDER BY ID"),
                 (WindowFixture::Rows{{"0", "0", "http://luzny.pl", "bez kategorii"},
                                      {ids[0][0], "0", "http://praca.pl", Cp("Żółta praca")},
                                      {ids[0][0], "1", "http://its.pl", "it's"},
                                      {ids[1][0], "0", "http://lodz.pl", ""}}));
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        WriteUnpackedCatalogue(Unpacked());
    }
    void cleanup() { EndFixture(fx); }

    void conversion_data()
    {
        QTest::addColumn<Case>("c");
        const QString noArchuse = QStringLiteral("Nie znaleziono wymaganej biblioteki 'archuse.so'");
        auto row = [](const char* name, Case c) { QTest::newRow(name) << c; };
        row("no legacy file", {});
        row("dovrad1.z alone", {.legacy = {"dovrad1.z"}});
        row("dovrad2.z alone", {.legacy = {"dovrad2.z"}});
        row("No keeps everything",
            {.legacy = {"dovra.ldb"}, .olderBackups = {"dovra.ldb.bak"}, .answer = platform::IdNo});
        row("Yes converts dovra.ldb",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .renamed = {"dovra.ldb"},
             .imported = true,
             .libraryCalled = true});
        row("an older backup is replaced",
            {.legacy = {"dovra.ldb"},
             .olderBackups = {"dovra.ldb.bak"},
             .answer = platform::IdYes,
             .renamed = {"dovra.ldb"},
             .imported = true,
             .libraryCalled = true});
        row("the pair, older backups replaced",
            {.legacy = {"dovrad1.z", "dovrad2.z"},
             .olderBackups = {"dovrad1.z.bak", "dovrad2.z.bak"},
             .answer = platform::IdYes,
             .renamed = {"dovrad1.z", "dovrad2.z"},
             .imported = true,
             .libraryCalled = true});
        row("all three: only dovra.ldb renamed",
            {.legacy = {"dovra.ldb", "dovrad1.z", "dovrad2.z"},
             .answer = platform::IdYes,
             .renamed = {"dovra.ldb"},
             .imported = true,
             .libraryCalled = true});
        row("library missing",
            {.legacy = {"dovra.ldb"},
             .olderBackups = {"dovra.ldb.bak"},
             .answer = platform::IdYes,
             .archive = Archive::Missing,
             .result = DbOpenFailed,
             .warnings = {noArchuse}});
        row("export missing",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .archive = Archive::WithoutExport,
             .result = DbOpenFailed});
        row("nothing unpacked",
            {.legacy = {"dovra.ldb"},
             .olderBackups = {"dovra.ldb.bak"},
             .answer = platform::IdYes,
             .unpacks = false,
             .result = DbOpenFailed,
             .libraryCalled = true});
        row("unpacked without kategorie",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .withoutCategoryFile = true,
             .result = DbOpenFailed,
             .libraryCalled = true});
        row("name taken by a link",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .taken = Taken::Link,
             .result = DbOpenFailed,
             .warnings = {kNoTempFolder}});
        row("name taken by a folder",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .taken = Taken::Folder,
             .result = DbOpenFailed,
             .warnings = {kNoTempFolder}});
        row("no temp folder",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .noTempFolder = true,
             .result = DbOpenFailed,
             .warnings = {kNoTempFolder}});
        row("failed import",
            {.legacy = {"dovra.ldb"},
             .answer = platform::IdYes,
             .brokenDatabase = true,
             .result = DbOpenFailed,
             .warnings = {QStringLiteral("file is not a database")},
             .libraryCalled = true});
    }

    void conversion()
    {
        QFETCH(Case, c);
        TForm1& form = fx->Start();
        const std::string archive = Archive();
        for (const std::string& name : c.legacy)
            WriteFile(archive + name, "old " + name);
        for (const std::string& name : c.olderBackups)
            WriteFile(archive + name, "older");
        if (c.archive == Archive::TestLibrary)
            fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        else if (c.archive == Archive::WithoutExport)
            TestLibrary::Install(TestLibrary::ShippedUpdateLibraryPath(), fx->ExeFolder(), "archuse.so");
        if (c.unpacks)
            fx->Library().SetUnpackSource(Unpacked());
        if (c.withoutCategoryFile)
            fs::remove(Unpacked() + "kategorie");
        const std::string temp = c.noTempFolder ? std::string() : form.TempFolder;
        const std::string runFolder = temp + form.RunTempSubfolder;
        const std::string elsewhere = fx->Root() + "other-user/";
        fs::create_directories(elsewhere);
        if (c.taken == Taken::Link)
            fs::create_directory_symlink(elsewhere, runFolder.substr(0, runFolder.size() - 1));
        if (c.taken == Taken::Folder) {
            fs::create_directories(runFolder);
            WriteFile(runFolder + "kategorie", "<n>Obca</n>\r\n");
        }
        if (c.brokenDatabase)
            WriteFile(archive + "dovra.db", "no database");
        if (c.answer)
            fx->boxes.Script(BoxAnswer::Button(c.answer));

        // The progress window, seen from the store's row pump.
        bool progressSeen = false;
        QTimer::singleShot(0, qApp, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<TForm10*>(window))
                    progressSeen = progress->isVisible() && progress->Animate1->Active();
        });

        QCOMPARE(form.ConvertLegacyDatabase(temp, form.RunTempSubfolder, archive), c.result);
        QCoreApplication::processEvents();  // the timer, when no pump ran it

        const auto asked = fx->boxes.TakeAsked();
        int next = 0;
        if (c.answer) {
            QVERIFY(asked.size() >= 1);
            QCOMPARE(asked[0].text, kQuestion);
            QCOMPARE(asked[0].caption, QStringLiteral("Zapytanie"));
            QCOMPARE(asked[0].flags, 0x24u);
            next = 1;
        }
        QCOMPARE(int(asked.size()) - next, int(c.warnings.size()));
        for (const QString& warning : c.warnings) {
            const platform::AskedBox& box = asked[next++];
            if (box.kind == BoxKind::ShowMessage) {
                QVERIFY2(box.text.contains(warning), qPrintable(box.Describe()));
                continue;
            }
            QVERIFY2(box.text.startsWith(warning), qPrintable(box.Describe()));
            if (warning == kNoTempFolder)
                QCOMPARE(box.text, warning + QString::fromStdString(runFolder));
            QCOMPARE(box.caption, QStringLiteral("Ostrzeżenie"));
            QCOMPARE(box.flags, 0x30u);
        }

        // The legacy files: renamed with their bytes, or untouched; an older
        // backup is replaced only by a renamed file.
        for (const std::string& name : c.legacy) {
            const bool renamed = std::find(c.renamed.begin(), c.renamed.end(), name) != c.renamed.end();
            QCOMPARE(fs::exists(archive + name), !renamed);
            QCOMPARE(ReadFile(archive + name + (renamed ? ".bak" : "")), "old " + name);
        }
        for (const std::string& name : c.olderBackups) {
            const std::string original = name.substr(0, name.size() - 4);
            const bool renamed = std::find(c.renamed.begin(), c.renamed.end(), original) != c.renamed.end();
            if (!renamed)
                QCOMPARE(ReadFile(archive + name), std::string("older"));
        }

        if (c.imported)
            CheckImportedRows();
        else if (c.brokenDatabase)
            QCOMPARE(ReadFile(archive + "dovra.db"), std::string("no database"));  // never removed: it was there
        else
            QCOMPARE(fx->Query("SELECT COUNT(*) FROM CATEGS UNION ALL SELECT COUNT(*) FROM LINKS"),
                     (WindowFixture::Rows{{"0"}, {"0"}}));
        QCOMPARE(progressSeen, c.imported);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TForm10*>(window));

        const auto calls = fx->Library().Calls();
        QCOMPARE(calls.size(), size_t(c.libraryCalled ? 1 : 0));
        if (c.libraryCalled) {
            QCOMPARE(calls[0].exportName, std::string("_OpenArch"));
            QCOMPARE(calls[0].texts,
                     (std::vector<std::optional<std::string>>{form.TempFolder, form.RunTempSubfolder, archive}));
            QCOMPARE(calls[0].last, std::string("0700"));
        }

        // The run subfolder: gone when it was ours, untouched when it was not.
        switch (c.taken) {
        case Taken::Nothing:
            QVERIFY(!fs::exists(fs::symlink_status(runFolder.substr(0, runFolder.size() - 1))));
            break;
        case Taken::Link:
            QVERIFY(fs::is_symlink(runFolder.substr(0, runFolder.size() - 1)));
            break;
        case Taken::Folder:
            QCOMPARE(ReadFile(runFolder + "kategorie"), std::string("<n>Obca</n>\r\n"));
            break;
        }
        QVERIFY(fs::is_empty(elsewhere));
    }

    void secondConversionInOneRunFindsTheNameFree()
    {
        TForm1& form = fx->Start();
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        const std::string other = fx->Root() + "drugie/";
        fs::create_directories(other);
        QCOMPARE(form.UnpackAndImportLegacy(form.TempFolder, form.RunTempSubfolder, form.ArchiveFolder), int(DbOk));
        QCOMPARE(form.UnpackAndImportLegacy(form.TempFolder, form.RunTempSubfolder, other), int(DbOk));
        QCOMPARE(fx->Library().Calls().size(), size_t(2));
        QCOMPARE(fx->Query("SELECT COUNT(*) FROM CATEGS"), (WindowFixture::Rows{{"3"}}));
        QVERIFY(fs::exists(other + "dovra.db"));
        QVERIFY(!fs::exists(RunFolder(form)));
    }

    // Without the executable's folder no library is looked for anywhere.
    void unknownExecutableFolderMeansMissingLibraries()
    {
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        fx->Library().SetUpdateAnswer(1);
        for (const std::string exePath : {"", "quomira"}) {
            TForm1 form(fx->boxes, exePath);
            form.Version = "1.3.0.0";
            form.TempFolder = fx->TempFolder();
            form.RunTempSubfolder = "dovratemp_test/";
            form.ArchiveFolder = Archive();
            QCOMPARE(form.CheckForUpdate(1), false);
            QCOMPARE(form.UnpackAndImportLegacy(form.TempFolder, form.RunTempSubfolder, form.ArchiveFolder),
                     int(DbOpenFailed));
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), size_t(2));
            QCOMPARE(asked[0].text, QStringLiteral("Nie znaleziono wymaganej biblioteki 'update.so'"));
            QCOMPARE(asked[1].text, QStringLiteral("Nie znaleziono wymaganej biblioteki 'archuse.so'"));
            QVERIFY(!fs::exists(form.TempFolder + form.RunTempSubfolder));
        }
        QVERIFY(fx->Library().Calls().empty());
    }

    void progressWindowLooksAsDesigned()
    {
        TForm1& form = fx->Start();
        form.move(100, 80);
        form.resize(700, 500);
        TForm10 progress(&form);
        QCOMPARE(progress.size(), QSize(326, 134));
        QCOMPARE(progress.windowTitle(), QStringLiteral("Konwersja archiwum"));
        QVERIFY(progress.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!progress.parentWidget());
        QCOMPARE(progress.geometry().center(), form.geometry().center());
        QCOMPARE(progress.Label1->text(), QStringLiteral("Konwersja archiwum"));
        QCOMPARE(progress.Label1->font().pixelSize(), 29);
        QVERIFY(progress.Label1->font().bold());
        QCOMPARE(progress.palette().color(QPalette::Window), QColor(Qt::white));
        progress.show();
        QVERIFY(QTest::qWaitForWindowExposed(&progress));
        QCOMPARE(progress.Animate1->height(), 60);
        QCOMPARE(progress.Animate1->geometry().bottom(), progress.Panel1->contentsRect().bottom());
        QVERIFY(!progress.Animate1->Active());
        progress.Animate1->SetActive(true);
        QVERIFY(progress.Animate1->Active());
    }

    // ---- start-up

    void startupAsksTheUpdateLibrary_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("library");  // what stands as "update.so": test, shipped, none
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("called");
        QTest::addColumn<bool>("warned");
        QTest::newRow("answer 1 ends") << QByteArray("[Opcje]\r\nSzer=700\r\n") << "test" << 1 << true << true << false;
        QTest::newRow("only the lowest byte counts") << QByteArray() << "test" << 256 << false << true << false;
        QTest::newRow("answer 0 goes on") << QByteArray() << "test" << 0 << false << true << false;
        QTest::newRow("the shipped library goes on") << QByteArray() << "shipped" << 0 << false << false << false;
        QTest::newRow("missing library warns") << QByteArray() << "none" << 0 << false << false << true;
        QTest::newRow("Wersja 0 calls nothing")
            << QByteArray("[Opcje]\r\nWersja=0\r\n") << "test" << 1 << false << false << false;
        QTest::newRow("Wersja 0, no library, no warning")
            << QByteArray("[Opcje]\r\nWersja=0\r\n") << "none" << 0 << false << false << false;
    }

    void startupAsksTheUpdateLibrary()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, library);
        QFETCH(int, answer);
        QFETCH(bool, ends);
        QFETCH(bool, called);
        QFETCH(bool, warned);
        fx->AddCategory("Jedyna");
        if (!settings.isEmpty())
            fx->WriteSettings(settings.toStdString());
        if (library == "test")
            fx->Library().InstallAs(fx->ExeFolder(), "update.so");
        if (library == "none")
            fs::remove(fx->ExeFolder() + "update.so");
        fx->Library().SetUpdateAnswer(answer);
        // A legacy catalogue that must not be offered when the program ends.
        WriteFile(Archive() + "dovra.ldb", "old");
        if (!ends)
            fx->boxes.Script(BoxAnswer::Button(platform::IdNo));
        const std::string before = fx->ReadSettingsFile();

        TForm1& form = fx->Start();
        auto asked = fx->boxes.TakeAsked();
        if (warned) {
            QVERIFY(!asked.empty());
            QCOMPARE(asked[0].text, QStringLiteral("Nie znaleziono wymaganej biblioteki 'update.so'"));
            QCOMPARE(asked[0].caption, QStringLiteral("Ostrzeżenie"));
            QCOMPARE(asked[0].flags, 0x30u);
            asked.erase(asked.begin());
        }
        QCOMPARE(asked.size(), size_t(ends ? 0 : 1));
        if (!ends)
            QCOMPARE(asked[0].text, kQuestion);

        const auto calls = fx->Library().Calls();
        QCOMPARE(calls.size(), size_t(called ? 1 : 0));
        if (called) {
            QCOMPARE(calls[0].exportName, std::string("_SprVer"));
            QCOMPARE(calls[0].texts, (std::vector<std::optional<std::string>>{"dovra", "1.3.0.0", "Quomira"}));
            QCOMPARE(calls[0].last, std::string("1"));
        }

        QCOMPARE(form.TerminateRequested(), ends);
        QCOMPARE(form.Busy, ends);
        QCOMPARE(form.ListBox2->Count(), ends ? 0 : 3);
        QCOMPARE(form.TrayIcon1->isVisible(), !ends);
        if (ends) {
            QCOMPARE(form.frameGeometry().width(), 700);  // the settings were applied
            fx->DestroyForm();
            QCOMPARE(fx->ReadSettingsFile(), before);
        }
    }

    void startupConvertsAndShowsTheCatalogue()
    {
        WriteFile(Archive() + "dovra.ldb", "old dovra.ldb");
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        TForm1& form = fx->Start();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].text, kQuestion);
        CheckImportedRows();
        QCOMPARE(ReadFile(Archive() + "dovra.ldb.bak"), std::string("old dovra.ldb"));
        // Praca, Łódź i okolice, Gry between the two pseudo-categories.
        QCOMPARE(form.ListBox2->Count(), 5);
        QCOMPARE(form.ListBox1->Count(), 4);  // AllCategories
        QCOMPARE(form.Busy, false);
        QVERIFY(!fs::exists(RunFolder(form)));
    }

    void exceptionInTheConversionIsShownAndStartupGoesOn()
    {
        const int kept = fx->AddCategory("Istniejąca");
        fx->AddLink(kept, "http://a.pl");
        WriteFile(Archive() + "dovra.ldb", "old dovra.ldb");
        // A link file that exists but cannot be read.
        fs::remove(Unpacked() + "kat1");
        fs::create_symlink("/proc/self/mem", Unpacked() + "kat1");
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        TForm1& form = fx->Start();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].text, kQuestion);
        QCOMPARE(asked[1].kind, BoxKind::ShowException);
        QVERIFY(fs::exists(Archive() + "dovra.ldb"));
        QVERIFY(!fs::exists(Archive() + "dovra.ldb.bak"));
        QVERIFY(!fs::exists(RunFolder(form)));
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TForm10*>(window));
        // Steps 15 to 18 ran: the catalogue as it was, the window ready.
        QCOMPARE(fx->Query("SELECT C.NAME, L.LINK FROM CATEGS C, LINKS L WHERE L.CAT_ID = C.ID"),
                 (WindowFixture::Rows{{Cp("Istniejąca"), "http://a.pl"}}));
        QCOMPARE(form.ListBox2->Count(), 3);
        QCOMPARE(form.ListBox1->Count(), 1);
        QVERIFY(form.TrayIcon1->isVisible());
        QCOMPARE(form.Busy, false);
        QCOMPARE(form.TerminateRequested(), false);
    }

    // After a conversion a legacy file whose ".bak" name cannot be taken (a
    // folder that is not empty has it) keeps its name: the warning names
    // it, the links are stored once, and the next start offers it again
    // where the warning says so.
    void startupWarnsAboutAFileThatKeptItsName_data()
    {
        QTest::addColumn<QStringList>("legacy");
        QTest::addColumn<QStringList>("kept");  // those whose ".bak" name is taken
        QTest::addColumn<bool>("offeredAgain");
        QTest::newRow("dovra.ldb") << QStringList{"dovra.ldb"} << QStringList{"dovra.ldb"} << true;
        QTest::newRow("the pair") << QStringList{"dovrad1.z", "dovrad2.z"} << QStringList{"dovrad1.z", "dovrad2.z"}
                                  << true;
        // The start offers the pair only whole: a half alone is never offered.
        QTest::newRow("one of the pair") << QStringList{"dovrad1.z", "dovrad2.z"} << QStringList{"dovrad2.z"} << false;
    }

    void startupWarnsAboutAFileThatKeptItsName()
    {
        QFETCH(QStringList, legacy);
        QFETCH(QStringList, kept);
        QFETCH(bool, offeredAgain);
        const std::string archive = Archive();
        for (const QString& name : legacy)
            WriteFile(archive + name.toStdString(), "old " + name.toStdString());
        for (const QString& name : kept) {
            fs::create_directories(archive + name.toStdString() + ".bak/");
            WriteFile(archive + name.toStdString() + ".bak/inside", "older");
        }
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        fx->Start();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1 + kept.size()));
        QCOMPARE(asked[0].text, kQuestion);
        for (int i = 0; i < kept.size(); ++i) {
            const platform::AskedBox& box = asked[size_t(i) + 1];
            QCOMPARE(box.text, KeptNameWarning(archive + kept[i].toStdString(), offeredAgain));
            QCOMPARE(box.caption, QStringLiteral("Ostrzeżenie"));
            QCOMPARE(box.flags, 0x30u);
            QCOMPARE(box.owner, QStringLiteral("TForm1"));
        }
        CheckImportedRows();
        for (const QString& name : legacy) {
            const std::string path = archive + name.toStdString();
            if (kept.contains(name)) {
                QCOMPARE(ReadFile(path), "old " + name.toStdString());
                QCOMPARE(ReadFile(path + ".bak/inside"), std::string("older"));
            } else {
                QVERIFY(!fs::exists(path));
                QCOMPARE(ReadFile(path + ".bak"), "old " + name.toStdString());
            }
        }

        fx->DestroyForm();
        if (offeredAgain)
            fx->boxes.Script(BoxAnswer::Button(platform::IdNo));
        fx->Start();
        const auto again = fx->boxes.TakeAsked();
        QCOMPARE(again.size(), size_t(offeredAgain ? 1 : 0));
        if (offeredAgain)
            QCOMPARE(again[0].text, kQuestion);
        CheckImportedRows();
    }

    // A conversion that ends in an exception removes the catalogue file that
    // its import made, so no empty or partial catalogue is left where there
    // was none; the legacy file keeps its name. (A catalogue that was there
    // before stays: exceptionInTheConversionIsShownAndStartupGoesOn.)
    void failedConversionRemovesTheCatalogueItMade()
    {
        TForm1& form = fx->Start();
        const std::string folder = fx->Root() + "stare/";
        fs::create_directories(folder);
        WriteFile(folder + "dovra.ldb", "old dovra.ldb");
        fs::remove(Unpacked() + "kat1");
        fs::create_symlink("/proc/self/mem", Unpacked() + "kat1");
        fx->Library().InstallAs(fx->ExeFolder(), "archuse.so");
        fx->Library().SetUnpackSource(Unpacked());
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        bool threw = false;
        try {
            form.ConvertLegacyDatabase(form.TempFolder, form.RunTempSubfolder, folder);
        } catch (...) {
            threw = true;
        }
        QVERIFY(threw);
        QCOMPARE(fx->boxes.TakeAsked().size(), size_t(1));  // the question
        QCOMPARE(fx->Library().Calls().size(), size_t(1));
        QVERIFY(!fs::exists(fs::symlink_status(folder + "dovra.db")));
        QCOMPARE(ReadFile(folder + "dovra.ldb"), std::string("old dovra.ldb"));
        QVERIFY(!fs::exists(RunFolder(form)));
    }

    void eachStartHasItsOwnRunSubfolder()
    {
        const std::string first = fx->Start().RunTempSubfolder;
        fx->DestroyForm();
        const std::string second = fx->Start().RunTempSubfolder;
        // Most often in the same minute: the random part tells them apart.
        QVERIFY(first != second);
    }
};

QTEST_MAIN(LegacyConversionTest)
#include "LegacyConversionTest.moc"
