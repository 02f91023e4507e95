// Start-up of the main window: defaults, the settings file's rules, the
// settings file beside the executable, the single instance.
#include <filesystem>
#include <fstream>
#include <functional>

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QtTest>

#include "store/Db_funcs.h"
#include "tests/window/WindowFixture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDesignWidth = 642;
constexpr int kDesignHeight = 420;

QRect Screen()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// What a settings row of the table checks, read from the started window.
using Probe = std::function<QVariant(TForm1&)>;

const std::map<QString, Probe>& Probes()
{
    static const std::map<QString, Probe> probes = {
        {"width", [](TForm1& f) { return QVariant(f.frameGeometry().width()); }},
        {"height", [](TForm1& f) { return QVariant(f.frameGeometry().height()); }},
        {"left", [](TForm1& f) { return QVariant(f.frameGeometry().x()); }},
        {"top", [](TForm1& f) { return QVariant(f.frameGeometry().y()); }},
        {"Pasek", [](TForm1& f) { return QVariant(f.Pasek); }},
        {"section0", [](TForm1& f) { return QVariant(f.HeaderControl1->sectionSize(0)); }},
        {"UstPoz", [](TForm1& f) { return QVariant(int(f.UstPoz)); }},
        {"monitor", [](TForm1& f) { return QVariant(f.Timer1->Enabled()); }},
        {"monitorDown", [](TForm1& f) { return QVariant(f.ToolButton20->isChecked()); }},
        {"monitorTicking", [](TForm1& f) { return QVariant(f.Timer1->Running()); }},
        {"interval", [](TForm1& f) { return QVariant(f.Timer1->Interval()); }},
        {"updateCheck", [](TForm1& f) { return QVariant(f.StartupChoicesRead().checkForUpdate); }},
        {"categoryRow", [](TForm1& f) { return QVariant(f.ListBox2->ItemIndex()); }},
        {"TempFolder", [](TForm1& f) { return QVariant(QString::fromStdString(f.TempFolder)); }},
        {"TempFolder is the default", [](TForm1& f) { return QVariant(f.TempFolder == GetTempDir()); }},
        {"ArchiveFolder", [](TForm1& f) { return QVariant(QString::fromStdString(f.ArchiveFolder)); }},
    };
    return probes;
}

// The process works in folder for the guard's lifetime, as a program
// started from there does.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::string& folder) : old_(fs::current_path()) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(old_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path old_;
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void firstStartUsesTheDefaults()
    {
        const int news = fx->AddCategory("Wiadomości");
        fx->AddLink(news, "http://a.pl", "A");
        fx->AddLink(news, "http://b.pl", "B");
        fx->AddLink(0, "ed2k://|file|c|1|", "C");
        TForm1& form = fx->Start();

        QCOMPARE(form.windowTitle(), QStringLiteral("Quomira v1.3.0.0"));
        QCOMPARE(form.frameGeometry().width(), kDesignWidth);
        QCOMPARE(form.frameGeometry().height(), 470);  // raised to the minimum
        QCOMPARE(form.frameGeometry().x(), (Screen().width() - kDesignWidth) / 2);
        QCOMPARE(form.frameGeometry().y(), (Screen().height() - kDesignHeight) / 2);
        QCOMPARE(form.minimumSize(), QSize(640, 470));
        QCOMPARE(form.Timer1->Enabled(), false);
        QCOMPARE(form.ToolButton20->isChecked(), false);
        QCOMPARE(form.Timer1->Interval(), 1000);
        QCOMPARE(form.StartupChoicesRead().checkForUpdate, true);
        QCOMPARE(int(form.UstPoz), 0);
        QCOMPARE(form.Pasek, form.HeaderControl1->width() - 300);

        QCOMPARE(form.SettingsFolder, fx->SettingsFolder());
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(form.TempFolder, fx->TempFolder());
        QVERIFY(QRegularExpression(QStringLiteral("^dovratemp_\\d{12}_[A-Za-z0-9]{6}/$"))
                    .match(QString::fromStdString(form.RunTempSubfolder))
                    .hasMatch());
        QCOMPARE(form.SearchInLinks, true);
        QCOMPARE(form.SearchInDescriptions || form.SearchRequested || form.SearchCaseSensitive, false);
        QVERIFY(form.SearchText.empty());

        // AllCategories selected, every link shown, the first one selected.
        QCOMPARE(form.ListBox2->Count(), 3);
        QCOMPARE(form.ListBox2->ItemIndex(), 2);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{2});
        QCOMPARE(form.ListBox1->Count(), 3);
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});

        QVERIFY(form.TrayIcon1->isVisible());
        QCOMPARE(form.Busy, false);
        QCOMPARE(form.TerminateRequested(), false);
        QVERIFY(!fs::exists(fx->SettingsPath()));  // reading writes nothing
    }

    void settingsRules_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QVariant>("expected");
        const QRect screen = Screen();
        auto row = [](const char* name, const char* ini, const char* probe, const QVariant& expected) {
            QTest::newRow(name) << QByteArray(ini) << QString::fromLatin1(probe) << expected;
        };
        row("CzasMon hex 0x", "[Opcje]\r\nCzasMon=0x3E8\r\n", "interval", 1000);
        row("CzasMon hex $", "[Opcje]\r\nCzasMon=$7D0\r\n", "interval", 2000);
        row("CzasMon hex 0X", "[Opcje]\r\nCzasMon=0X10\r\n", "interval", 500);  // 16: below 500
        row("CzasMon text", "[Opcje]\r\nCzasMon=szybko\r\n", "interval", 1000);
        row("CzasMon 0, monitor on: down", "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=0\r\n", "monitorDown", true);
        row("CzasMon 0, monitor on: enabled", "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=0\r\n", "monitor", true);
        row("CzasMon 0, monitor on: never ticks", "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=0\r\n", "monitorTicking",
            false);
        row("CzasMon -5, monitor on: never ticks", "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=-5\r\n", "monitorTicking",
            false);
        row("monitor on ticks", "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=500\r\n", "monitorTicking", true);
        row("Monitorowanie 2 is true", "[Opcje]\r\nMonitorowanie=2\r\n", "monitor", true);
        row("Monitorowanie text is the default", "[Opcje]\r\nMonitorowanie=tak\r\n", "monitor", false);
        row("UstPoz 257 keeps its low byte", "[Opcje]\r\nUstPoz=257\r\n", "UstPoz", 1);
        row("UstPoz 2", "[Opcje]\r\nUstPoz=2\r\n", "UstPoz", 0);
        row("UstPoz -1", "[Opcje]\r\nUstPoz=-1\r\n", "UstPoz", 0);
        row("UstPoz 1", "[Opcje]\r\nUstPoz=1\r\n", "UstPoz", 1);
        row("Szer not a number", "[Opcje]\r\nSzer=szeroko\r\n", "width", kDesignWidth);
        row("Szer below the minimum", "[Opcje]\r\nSzer=300\r\n", "width", 640);
        row("Wys below the minimum", "[Opcje]\r\nWys=100\r\n", "height", 470);
        row("Szer stored", "[Opcje]\r\nSzer=900\r\n", "width", 900);
        row("Wys stored", "[Opcje]\r\nWys=700\r\n", "height", 700);
        row("PolX centres with the stored width", "[Opcje]\r\nSzer=700\r\n", "left", (screen.width() - 700) / 2);
        row("PolX off the screen", "[Opcje]\r\nPolX=-50\r\n", "left", -50);
        row("PolY partly off the screen", "[Opcje]\r\nPolY=-10\r\n", "top", -10);
        // Out of reach of every screen: back on the primary screen.
        row("PolY below the screen", "[Opcje]\r\nPolY=5000\r\n", "top", screen.height() - 470);
        row("Pasek stored", "[Opcje]\r\nPasek=200\r\n", "Pasek", 200);
        row("Wersja empty", "[Opcje]\r\nWersja=\r\n", "updateCheck", true);
        row("Wersja 0", "[Opcje]\r\nWersja=0\r\n", "updateCheck", false);
        row("names match regardless of case", "[opcje]\r\nSZER=900\r\n", "width", 900);
        row("AktPoz missing: AllCategories", "[Opcje]\r\nSzer=700\r\n", "categoryRow", 2);
        row("AktPoz 0: Uncategorised", "[Opcje]\r\nAktPoz=0\r\n", "categoryRow", 0);
        row("AktPoz unknown: first row", "[Opcje]\r\nAktPoz=999\r\n", "categoryRow", 0);
        row("Temp gets its trailing slash", "[Sciezki]\r\nTemp=/inny/temp\r\n", "TempFolder",
            QStringLiteral("/inny/temp/"));
        row("Temp with its slash", "[Sciezki]\r\nTemp=/inny/temp/\r\n", "TempFolder", QStringLiteral("/inny/temp/"));
        row("Temp empty reads as the default", "[Sciezki]\r\nTemp=\r\n", "TempFolder is the default", true);
        row("only the options dialog's keys",
            "[Opcje]\r\nMonitorowanie=1\r\nCzasMon=1500\r\nWersja=0\r\nUstPoz=1\r\n[Sciezki]\r\nTemp=/t/\r\n",
            "interval", 1500);
    }

    void settingsRules()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, probe);
        QFETCH(QVariant, expected);
        fx->AddCategory("Jedyna");
        fx->WriteSettings(ini.toStdString());
        TForm1& form = fx->Start();
        QCOMPARE(Probes().at(probe)(form), expected);
        QCOMPARE(form.Busy, false);
    }

    void pasekSetsTheFirstSection()
    {
        fx->WriteSettings("[Opcje]\r\nPasek=200\r\nSzer=800\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.HeaderControl1->sectionSize(0), form.HeaderControl1->width() - 200);
        QVERIFY(ShowAndWait(form));
        QCOMPARE(form.HeaderControl1->sectionSize(0), form.HeaderControl1->width() - 200);
    }

    void storedCategoryIsSelectedWithItsLinks()
    {
        const int a = fx->AddCategory("A");
        const int b = fx->AddCategory("B");
        fx->AddLink(a, "http://a.pl");
        const int b1 = fx->AddLink(b, "http://b1.pl");
        fx->AddLink(b, "http://b2.pl");
        fx->WriteSettings("[Opcje]\r\nAktPoz=" + std::to_string(b) + "\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ListBox2->ItemIndex(), 2);
        QCOMPARE(RowIds(*form.ListBox1), (std::vector<int>{b1, b1 + 1}));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});
    }

    void archiveFolderFromTheSettings()
    {
        const std::string other = fx->Root() + "archiwum/";
        fs::create_directories(other);
        DbAddCategories(other, {CategoryLine(-1, 1, "Gdzie indziej", "")});
        fx->WriteSettings("[Sciezki]\r\nArchiwa=" + other + "\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ArchiveFolder, other);
        QCOMPARE(form.ListBox2->Count(), 3);
        QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<n>"), std::string("Gdzie indziej"));
    }

    // "Archiwa=/x/archiwum" names the folder: its catalogue is read, and no
    // "archiwumdovra.db" appears beside it.
    void archiveFolderWithoutTrailingSlash()
    {
        const std::string other = fx->Root() + "archiwum";
        fs::create_directories(other);
        DbAddCategories(other + "/", {CategoryLine(-1, 1, "Gdzie indziej", "")});
        fx->WriteSettings("[Sciezki]\r\nArchiwa=" + other + "\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ArchiveFolder, other + "/");
        QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<n>"), std::string("Gdzie indziej"));
        QVERIFY(!fs::exists(other + "dovra.db"));
    }

    // An empty "Archiwa" or "Temp" names no folder: it reads as the default,
    // as a missing key does, and nothing appears in the folder the program
    // was started from.
    void emptyFoldersReadAsTheirDefaults()
    {
        fx->AddCategory("Moja");
        const std::string started = fx->Root() + "uruchomiony/";
        fs::create_directories(started);
        const WorkingFolder working(started);
        fx->WriteSettings("[Sciezki]\r\nArchiwa=\r\nTemp=\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ArchiveFolder, fx->SettingsFolder());
        QCOMPARE(form.TempFolder, GetTempDir());
        QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<n>"), std::string("Moja"));
        QVERIFY(fs::is_empty(started));
    }

    // A relative folder is taken in the settings folder, where "dovra.ini"
    // is, never in the folder the program was started from.
    void relativeFoldersAreInTheSettingsFolder()
    {
        const std::string other = fx->SettingsFolder() + "dane/";
        fs::create_directories(other);
        DbAddCategories(other, {CategoryLine(-1, 1, "W danych", "")});
        const std::string started = fx->Root() + "uruchomiony/";
        fs::create_directories(started + "dane");
        const WorkingFolder working(started);
        fx->WriteSettings("[Sciezki]\r\nArchiwa=dane/\r\nTemp=tymczasowe\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(form.ArchiveFolder, other);
        QCOMPARE(form.TempFolder, fx->SettingsFolder() + "tymczasowe/");
        QCOMPARE(GetTagValue(form.ListBox2->Item(1), "<n>"), std::string("W danych"));
        QVERIFY(fs::is_empty(started + "dane"));
    }

    // A new account without ~/.local/share: the settings folder is made with
    // its parents, each for the user alone, and the catalogue lives there.
    void settingsFolderIsMadeWithItsParents()
    {
        const std::string dataHome = fx->Root() + "nowe/konto/share";
        EnvGuard data("XDG_DATA_HOME", dataHome);
        TForm1& form = fx->Start();
        QCOMPARE(form.SettingsFolder, dataHome + "/Quomira/");
        QVERIFY(fs::exists(dataHome + "/Quomira/dovra.db"));
        for (const std::string& made :
             {fx->Root() + "nowe", fx->Root() + "nowe/konto", dataHome, dataHome + "/Quomira"})
            QCOMPARE(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all);
    }

    void unreadableArchiveLeavesOnlyThePseudoCategories()
    {
        fx->WriteSettings("[Sciezki]\r\nArchiwa=" + fx->Root() + "nie/ma/\r\n");
        TForm1& form = fx->Start();
        QCOMPARE(ListLines(*form.ListBox2),
                 (std::vector<std::string>{"<i>0</i><p>0</p><n>Bez kategorii</n><d>Bez kategorii</d>",
                                           "<i>-1</i><p>-1</p><n>Wszystkie</n><d>Wszystkie</d>"}));
        QCOMPARE(form.ListBox1->Count(), 0);
        QCOMPARE(form.Busy, false);
        // The category load says which file failed; the version check after
        // it does not say it again.
        const QString unreachable =
            "unable to open database file\n" + QString::fromStdString(fx->Root()) + "nie/ma/dovra.db";
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        for (const auto& box : asked) {
            QCOMPARE(box.kind, platform::BoxKind::ShowMessage);
            QCOMPARE(box.text, unreachable);
        }
    }

    void settingsFileBesideTheExecutableIsMoved()
    {
        fs::remove_all(fx->SettingsFolder());
        std::ofstream(fx->ExeFolder() + "dovra.ini", std::ios::binary) << "[Opcje]\r\nSzer=900\r\n";
        TForm1& form = fx->Start();
        QVERIFY(!fs::exists(fx->ExeFolder() + "dovra.ini"));
        QCOMPARE(fx->ReadSettingsFile(), std::string("[Opcje]\r\nSzer=900\r\n"));
        QCOMPARE(form.frameGeometry().width(), 900);
    }

    void settingsFileInTheSettingsFolderWins()
    {
        std::ofstream(fx->ExeFolder() + "dovra.ini", std::ios::binary) << "[Opcje]\r\nSzer=900\r\n";
        fx->WriteSettings("[Opcje]\r\nSzer=700\r\n");
        TForm1& form = fx->Start();
        QVERIFY(fs::exists(fx->ExeFolder() + "dovra.ini"));
        QCOMPARE(form.frameGeometry().width(), 700);
    }

    void secondInstanceIsRefused()
    {
        fx->WriteSettings("[Opcje]\r\nSzer=700\r\n");
        fx->Start();
        const std::string before = fx->ReadSettingsFile();

        std::unique_ptr<TForm1> second = fx->CreateForm();
        platform::RunGuarded(fx->boxes, [&] { second->FormCreate(); });
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::MessageBox);
        QCOMPARE(asked[0].text, QStringLiteral("Program Quomira jest już uruchomiony"));
        QCOMPARE(asked[0].caption, QStringLiteral("Informacja"));
        QCOMPARE(asked[0].flags, 0x30u);
        QVERIFY(second->TerminateRequested());
        QVERIFY(second->Busy);
        QCOMPARE(second->ListBox2->Count(), 0);
        QVERIFY(!second->TrayIcon1->isVisible());
        second.reset();
        QCOMPARE(fx->ReadSettingsFile(), before);
        QCOMPARE(fx->Form().TerminateRequested(), false);
    }

    void nextStartRunsOnceTheFirstHasEnded()
    {
        fx->Start();
        fx->DestroyForm();
        TForm1& again = fx->Start();
        QCOMPARE(again.TerminateRequested(), false);
    }

    void copiesUnderOtherNamesDoNotSeeEachOther()
    {
        fx->Start();
        fx->SetExeName("quomira-kopia");
        std::unique_ptr<TForm1> other = fx->CreateForm();
        platform::RunGuarded(fx->boxes, [&] { other->FormCreate(); });
        QCOMPARE(other->TerminateRequested(), false);
        QCOMPARE(other->Busy, false);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
