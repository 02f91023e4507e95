// The options dialog: its look, the values it opens with, the interval's
// up-down, the folder buttons and pickers, cancel, and its save with the
// settings keys it writes. The catalogue folder switch that the save runs
// has its own test (FolderSwitchTest).
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

#include "platform/Timer.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/OptionsDialog.h"
#include "window/widgets/RadioGroup.h"
#include "window/widgets/UpDown.h"

namespace fs = std::filesystem;

namespace {

// The colour of an image as the main window's image list draws it.
QColor CentreColour(const QIcon& icon)
{
    return icon.pixmap(16).toImage().pixelColor(8, 8);
}

QString Path(const std::string& bytes)
{
    return QString::fromStdString(bytes);
}

}  // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

    // Opens the dialog from the toolbar button; act gets it while it is open.
    ModalRun Options(const std::function<void(TForm3&)>& act)
    {
        return RunModal<TForm3>([this] { fx->Form().ToolButton13->trigger(); }, act);
    }

    // The one box shown since the last check, asked of the dialog.
    platform::AskedBox OneBoxOfTheDialog()
    {
        const auto asked = fx->boxes.TakeAsked();
        if (asked.size() != 1) {
            QTest::qFail("expected exactly one box", __FILE__, __LINE__);
            return {};
        }
        if (asked[0].owner != QStringLiteral("TForm3"))
            QTest::qFail(qPrintable(QStringLiteral("box owned by ") + asked[0].owner), __FILE__, __LINE__);
        return asked[0];
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup()
    {
        EndFixture(fx);
        QLocale::setDefault(QLocale::c());
    }

    void looksAsDesigned()
    {
        TForm1& form = fx->Start();
        const ModalRun run = Options([&](TForm3& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Opcje programu"));
            QCOMPARE(d.size(), QSize(498, 307));
            QCOMPARE(d.minimumSize(), d.maximumSize());
            QVERIFY(d.windowFlags() & Qt::WindowCloseButtonHint);
            QVERIFY(!(d.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
            QCOMPARE(d.font().pixelSize(), 11);
            QCOMPARE(d.parentWidget(), &form);
            QCOMPARE(d.GroupBox1->title(), QStringLiteral("Katalogi : "));
            QCOMPARE(d.Label1->text(), QStringLiteral("Katalog z plikami tymczasowymi programu :"));
            QCOMPARE(d.Label2->text(), QString::fromUtf8("Katalog z archiwum linków :"));
            QCOMPARE(d.GroupBox3->title(), QStringLiteral("Monitorowanie schowka : "));
            QCOMPARE(d.CheckBox1->text(), QString::fromUtf8("Monitorowanie włączone"));
            QCOMPARE(d.Label7->text(), QStringLiteral("Sprzwdzaj co : "));
            QCOMPARE(d.Label8->text(), QStringLiteral("sek"));
            QCOMPARE(d.RadioGroup2->title(), QStringLiteral("Przy otwieraniu grupy ustawiaj na :"));
            QCOMPARE(d.RadioGroup2->Count(), 2);
            QCOMPARE(d.RadioGroup2->Item(0), QString::fromUtf8("Pierwszą pozycję"));
            QCOMPARE(d.RadioGroup2->Item(1), QString::fromUtf8("Ostatnią pozycję"));
            QCOMPARE(d.CheckBox2->text(), QStringLiteral("Sprawdzanie nowej wersji przy uruchamianiu"));
            const std::pair<QPushButton*, const char*> captions[] = {
                {d.BitBtn1, "Wybierz"},
                {d.BitBtn3, "Wybierz"},
                {d.BitBtn2, "Katalog programu"},
                {d.BitBtn4, "Katalog programu"},
                {d.BitBtn5, "Katalog tymczasowy Windows"},
                {d.BitBtn8, "Katalog ustawień Użytkownika"},
                {d.BitBtn6, "Anuluj"},
                {d.BitBtn7, "Zapisz zmiany"},
            };
            for (const auto& [button, caption] : captions) {
                QCOMPARE(button->text(), QString::fromUtf8(caption));
                QVERIFY(!button->autoDefault() && !button->isDefault());
                QVERIFY(!button->icon().isNull());
            }
            for (QPushButton* button : {d.BitBtn2, d.BitBtn3, d.BitBtn4, d.BitBtn5, d.BitBtn8})
                QCOMPARE(button->icon().cacheKey(), d.BitBtn1->icon().cacheKey());
            QCOMPARE(CentreColour(d.BitBtn6->icon()), CentreColour(form.ImageList1.Icon(2)));
            QCOMPARE(CentreColour(d.BitBtn7->icon()), CentreColour(form.ImageList1.Icon(22)));
            for (QLineEdit* edit : {d.Edit1, d.Edit2}) {
                QVERIFY(edit->isReadOnly());
                QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 255, 249));
            }
            QVERIFY(d.Edit3->isReadOnly());
            QCOMPARE(d.UpDown1->Min(), 1);
            QCOMPARE(d.UpDown1->Max(), 100);
            for (QWidget* w :
                 std::initializer_list<QWidget*>{d.GroupBox1, d.Edit1, d.Edit2, d.Label1, d.Label2, d.BitBtn1,
                                                 d.BitBtn2, d.BitBtn3, d.BitBtn4, d.BitBtn5, d.BitBtn8})
                QVERIFY(w->isEnabled());
            // Every control lies inside the window.
            for (QWidget* w : d.findChildren<QWidget*>())
                if (w->isVisible())
                    QVERIFY2(QRect(QPoint(0, 0), d.size()).contains(QRect(w->mapTo(&d, QPoint(0, 0)), w->size())),
                             qPrintable(w->metaObject()->className() + QStringLiteral(" ") + w->objectName()));
            d.EnableControls(false);
            QVERIFY(!d.BitBtn8->isEnabled() && !d.Edit2->isEnabled() && !d.Label1->isEnabled());
            QVERIFY(d.BitBtn7->isEnabled() && d.CheckBox1->isEnabled());
        });
        QVERIFY(run.opened);
    }

    // The opening values come from the main window, "Wersja" from the file.
    void opensWithTheWindowsState_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("monitor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("ustPoz");
        QTest::addColumn<bool>("checkVersion");

        QTest::newRow("no settings file") << "" << false << 2 << "1" << 0 << true;
        QTest::newRow("1200 ms opens at 2") << "[Opcje]\nCzasMon=1200\nMonitorowanie=1\nUstPoz=1\n"
                                            << true << 2 << "1" << 1 << true;
        QTest::newRow("1500 ms") << "[Opcje]\nCzasMon=1500\nWersja=0\n" << false << 3 << "1.5" << 0 << false;
        QTest::newRow("Wersja empty reads true") << "[Opcje]\nWersja=\n" << false << 2 << "1" << 0 << true;
        QTest::newRow("below 500 ms opens at 1") << "[Opcje]\nCzasMon=200\n" << false << 1 << "0.5" << 0 << true;
        QTest::newRow("0 ms opens at 1") << "[Opcje]\nCzasMon=0\n" << false << 1 << "0.5" << 0 << true;
        QTest::newRow("above 50 s opens at 100") << "[Opcje]\nCzasMon=60000\n" << false << 100 << "50" << 0 << true;
    }

    void opensWithTheWindowsState()
    {
        QFETCH(QString, settings);
        QFETCH(bool, monitor);
        QFETCH(int, position);
        QFETCH(QString, seconds);
        QFETCH(int, ustPoz);
        QFETCH(bool, checkVersion);
        if (!settings.isEmpty())
            fx->WriteSettings(settings.toStdString());
        TForm1& form = fx->Start();
        form.TempFolder = "/tmp/inny/";
        form.ArchiveFolder = fx->SettingsFolder();
        bool busyWhileOpen = false;
        const ModalRun run = Options([&](TForm3& d) {
            busyWhileOpen = form.Busy;
            QCOMPARE(d.Edit1->text(), QStringLiteral("/tmp/inny/"));
            QCOMPARE(TForm3::FolderText(*d.Edit1), std::string("/tmp/inny/"));
            QCOMPARE(TForm3::FolderText(*d.Edit2), fx->SettingsFolder());
            QCOMPARE(d.CheckBox1->isChecked(), monitor);
            QCOMPARE(d.UpDown1->Position(), position);
            QCOMPARE(d.Edit3->text(), seconds);
            QCOMPARE(d.RadioGroup2->ItemIndex(), ustPoz);
            QCOMPARE(d.CheckBox2->isChecked(), checkVersion);
        });
        QVERIFY(run.opened);
        QVERIFY(busyWhileOpen);
        QVERIFY(!form.Busy);
    }

    void bothCommandsOpenIt()
    {
        TForm1& form = fx->Start();
        QVERIFY(RunModal<TForm3>([&] { form.Opcjeprogramu1->trigger(); }, [](TForm3&) {}).opened);
        QVERIFY(RunModal<TForm3>([&] { form.ToolButton13->trigger(); }, [](TForm3&) {}).opened);
        QCOMPARE(form.ToolButton13->toolTip(), QStringLiteral("Ustawienia programu"));
        QVERIFY(form.Opcjeprogramu1->text().startsWith(QStringLiteral("Ustawienia programu")));
    }

    // The seconds follow the up-down like FloatToStr: no trailing zeros, the
    // locale's decimal separator.
    void upDownShowsHalfSeconds()
    {
        QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
        fx->Start();
        const ModalRun run = Options([&](TForm3& d) {
            QCOMPARE(d.Edit3->text(), QStringLiteral("1"));
            QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
            QCOMPARE(d.UpDown1->Position(), 3);
            QCOMPARE(d.Edit3->text(), QStringLiteral("1,5"));
            QTest::mouseClick(d.UpDown1->DownButton(), Qt::LeftButton);
            QTest::mouseClick(d.UpDown1->DownButton(), Qt::LeftButton);
            QCOMPARE(d.Edit3->text(), QStringLiteral("0,5"));
            QTest::mouseClick(d.UpDown1->DownButton(), Qt::LeftButton);  // stays at the end
            QCOMPARE(d.UpDown1->Position(), 1);
            QCOMPARE(d.Edit3->text(), QStringLiteral("0,5"));
            d.UpDown1->SetPosition(99);
            QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
            QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
            QCOMPARE(d.UpDown1->Position(), 100);
            QCOMPARE(d.Edit3->text(), QStringLiteral("50"));
        });
        QVERIFY(run.opened);
    }

    // A save with nothing changed writes the four options keys and nothing else.
    void saveOfNothingChanged()
    {
        TForm1& form = fx->Start();
        const std::string archive = form.ArchiveFolder;
        const ModalRun run = Options([](TForm3& d) { QTest::mouseClick(d.BitBtn7, Qt::LeftButton); });
        QVERIFY(run.opened);
        QVERIFY(!run.leftOpen);
        QCOMPARE(fx->ReadSettingsFile(),
                 std::string("[Opcje]\r\nMonitorowanie=0\r\nCzasMon=1000\r\nWersja=1\r\nUstPoz=0\r\n"));
        QCOMPARE(form.Timer1->Interval(), 1000);
        QVERIFY(!form.Timer1->Enabled());
        QCOMPARE(form.ArchiveFolder, archive);
    }

    void savesTheMonitorAndTheLinkChoice()
    {
        fx->WriteSettings("[Opcje]\nCzasMon=1200\n");
        TForm1& form = fx->Start();
        const ModalRun run = Options([](TForm3& d) {
            d.CheckBox1->setChecked(true);
            QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);  // 2 -> 3
            d.RadioGroup2->SetItemIndex(1);
            d.CheckBox2->setChecked(false);
            QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
        });
        QVERIFY(!run.leftOpen);
        QVERIFY(form.Timer1->Enabled());
        QCOMPARE(form.Timer1->Interval(), 1500);
        QVERIFY(form.ToolButton20->isChecked());
        QCOMPARE(int(form.UstPoz), 1);
        const platform::IniFile ini = fx->Settings();
        QCOMPARE(ini.ReadString("Opcje", "Monitorowanie", "?"), std::string("1"));
        QCOMPARE(ini.ReadString("Opcje", "CzasMon", "?"), std::string("1500"));
        QCOMPARE(ini.ReadString("Opcje", "Wersja", "?"), std::string("0"));
        QCOMPARE(ini.ReadString("Opcje", "UstPoz", "?"), std::string("1"));

        // And off again: the toggle follows.
        QVERIFY(!Options([](TForm3& d) {
                     QVERIFY(d.CheckBox1->isChecked());
                     QCOMPARE(d.UpDown1->Position(), 3);
                     d.CheckBox1->setChecked(false);
                     QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                 }).leftOpen);
        QVERIFY(!form.Timer1->Enabled());
        QVERIFY(!form.ToolButton20->isChecked());
        QCOMPARE(ini.ReadString("Opcje", "Monitorowanie", "?"), std::string("0"));
    }

    // An interval the up-down cannot show is saved as the end it opened at.
    void outOfRangeIntervalIsSavedClamped_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("saved");
        QTest::newRow("200 ms") << 200 << 500;
        QTest::newRow("60 s") << 60000 << 50000;
        QTest::newRow("1200 ms") << 1200 << 1000;
    }

    void outOfRangeIntervalIsSavedClamped()
    {
        QFETCH(int, stored);
        QFETCH(int, saved);
        fx->WriteSettings("[Opcje]\nCzasMon=" + std::to_string(stored) + "\n");
        TForm1& form = fx->Start();
        QVERIFY(!Options([](TForm3& d) { QTest::mouseClick(d.BitBtn7, Qt::LeftButton); }).leftOpen);
        QCOMPARE(form.Timer1->Interval(), saved);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "CzasMon", -1), saved);
    }

    // "Temp" is written only when the folder changed, with its message; the
    // folder in use stays until the next start.
    void changedTempFolder()
    {
        TForm1& form = fx->Start();
        const std::string temp = form.TempFolder;
        QVERIFY(!Options([](TForm3& d) {
                     QTest::mouseClick(d.BitBtn2, Qt::LeftButton);  // the program's folder
                     QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                 }).leftOpen);
        const platform::AskedBox box = OneBoxOfTheDialog();
        QCOMPARE(box.kind, platform::BoxKind::MessageBox);
        QCOMPARE(box.text,
                 QString::fromUtf8("Zmieniono katalog plików tymczasowych programu.\nZmiany zostaną "
                                   "uwzględnione po ponownym uruchomieniu programu"));
        QCOMPARE(box.caption, QStringLiteral("Informacja"));
        QCOMPARE(box.flags, 0x40u);
        QCOMPARE(fx->Settings().ReadString("Sciezki", "Temp", "?"), fx->ExeFolder());
        QCOMPARE(form.TempFolder, temp);

        // Reopened in the same run it shows the folder in use; saving again
        // writes nothing under "Temp".
        QVERIFY(!Options([&](TForm3& d) {
                     QCOMPARE(TForm3::FolderText(*d.Edit1), temp);
                     QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                 }).leftOpen);
        QCOMPARE(fx->Settings().ReadString("Sciezki", "Temp", "?"), fx->ExeFolder());
    }

    // A temp folder whose name holds a line break cannot be stored under
    // "Temp" as it is: the save says so before it writes anything and the
    // dialog stays open. Blanks and quotes are stored so that the next start
    // reads the folder back as it was chosen.
    void tempFolderNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusedAs");  // "" when the folder is stored
        QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("a\\nb");
        QTest::newRow("carriage return") << QStringLiteral("x\r[Opcje]\rWersja=0")
                                         << QStringLiteral("x\\r[Opcje]\\rWersja=0");
        QTest::newRow("blank at the start") << QStringLiteral(" przed") << QString();
        QTest::newRow("blanks at the end") << QStringLiteral("po  ") << QString();
        QTest::newRow("double quotes") << QStringLiteral("\"t\"") << QString();
        QTest::newRow("single quotes") << QStringLiteral("'t'") << QString();
    }

    void tempFolderNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, refusedAs);
        const std::string settings = "[Opcje]\r\nWersja=1\r\n";
        fx->WriteSettings(settings);
        fx->AddLink(0, "http://a.pl", "A");
        TForm1& form = fx->Start();
        const std::string temp = form.TempFolder;
        const std::string folder = fx->Root() + name.toStdString() + "/";
        fx->boxes.Script(platform::BoxAnswer::Path(QString::fromStdString(folder)));
        bool openAfterSave = false;
        QVERIFY(Options([&](TForm3& d) {
                    QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
                    d.CheckBox1->setChecked(true);
                    QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
                    openAfterSave = d.isVisible();
                }).opened);
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].kind, platform::BoxKind::SelectDirectory);
        QCOMPARE(asked[1].kind, platform::BoxKind::MessageBox);
        QCOMPARE(asked[1].owner, QStringLiteral("TForm3"));
        QCOMPARE(form.TempFolder, temp);
        if (refusedAs.isEmpty()) {
            QVERIFY(!openAfterSave);
            QCOMPARE(asked[1].caption, QStringLiteral("Informacja"));
            QCOMPARE(fx->Settings().ReadString("Sciezki", "Temp", "?"), folder);
        } else {
            QVERIFY(openAfterSave);
            QCOMPARE(asked[1].text,
                     QString::fromUtf8("Nie można użyć katalogu plików tymczasowych \"") + Path(fx->Root()) +
                         refusedAs +
                         QString::fromUtf8("/\".\nJego nazwa zawiera znak końca wiersza, a takiej nazwy nie da się "
                                           "zapisać w pliku ustawień.\nWybierz inny katalog."));
            QCOMPARE(asked[1].caption, QString::fromUtf8("Ostrzeżenie"));
            QCOMPARE(asked[1].flags, 0x30u);
            QCOMPARE(fx->ReadSettingsFile(), settings);
            QVERIFY(!form.Timer1->Enabled());
        }

        fx->DestroyForm();
        TForm1& next = fx->Start();
        QCOMPARE(next.TempFolder, refusedAs.isEmpty() ? folder : temp);
        QCOMPARE(ListLines(*next.ListBox1).size(), size_t(1));
    }

    void fixedFolderButtons()
    {
        TForm1& form = fx->Start();
        form.TempFolder = "/elsewhere/";
        form.ArchiveFolder = "/elsewhere/";
        QVERIFY(Options([&](TForm3& d) {
                    QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
                    QCOMPARE(TForm3::FolderText(*d.Edit1), fx->ExeFolder());
                    QTest::mouseClick(d.BitBtn4, Qt::LeftButton);
                    QCOMPARE(TForm3::FolderText(*d.Edit2), fx->ExeFolder());
                    QTest::mouseClick(d.BitBtn5, Qt::LeftButton);
                    QCOMPARE(TForm3::FolderText(*d.Edit1), fx->TempFolder());
                    QTest::mouseClick(d.BitBtn8, Qt::LeftButton);
                    QCOMPARE(TForm3::FolderText(*d.Edit2), fx->SettingsFolder());
                }).leftOpen);
        QVERIFY(!fs::exists(fx->Root() + "nowhere"));

        // Without a data folder, only "/Quomira/" is left; it is not created.
        EnvGuard noData("XDG_DATA_HOME", std::nullopt);
        EnvGuard noHome("HOME", std::nullopt);
        QVERIFY(Options([&](TForm3& d) {
                    QTest::mouseClick(d.BitBtn8, Qt::LeftButton);
                    QCOMPARE(TForm3::FolderText(*d.Edit2), std::string("/Quomira/"));
                    QCOMPARE(d.Edit2->text(), QStringLiteral("/Quomira/"));
                }).leftOpen);
        QVERIFY(!fs::exists("/Quomira"));
    }

    // The picker starts at the field's folder; a chosen folder gets a "/"
    // unless it ends with one; Cancel keeps the field.
    void pickers_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("field");

        for (const char* control : {"BitBtn1", "Edit1 double click", "BitBtn3", "Edit2 double click"}) {
            const QString c = QString::fromLatin1(control);
            QTest::addRow("%s: /a/b", control) << c << false << "/a/b"
                                               << "/a/b/";
            QTest::addRow("%s: /a/b/", control) << c << false << "/a/b/"
                                                << "/a/b/";
            QTest::addRow("%s: the root", control) << c << false << "/"
                                                   << "/";
            QTest::addRow("%s: /ab", control) << c << false << "/ab"
                                              << "/ab/";
            QTest::addRow("%s: Polish name", control) << c << false << "/dom/Łódź"
                                                      << "/dom/Łódź/";
            QTest::addRow("%s: cancel", control) << c << true << ""
                                                 << "/start/";
        }
    }

    void pickers()
    {
        QFETCH(QString, control);
        QFETCH(bool, cancel);
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        TForm1& form = fx->Start();
        form.TempFolder = "/start/";
        form.ArchiveFolder = "/start/";
        fx->boxes.Script(cancel ? platform::BoxAnswer::Cancel() : platform::BoxAnswer::Path(chosen));
        const bool temp = control.contains(u'1');
        QVERIFY(Options([&](TForm3& d) {
                    if (control == QStringLiteral("BitBtn1"))
                        QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
                    else if (control == QStringLiteral("BitBtn3"))
                        QTest::mouseClick(d.BitBtn3, Qt::LeftButton);
                    else
                        QTest::mouseDClick(temp ? d.Edit1 : d.Edit2, Qt::LeftButton);
                    QLineEdit* edit = temp ? d.Edit1 : d.Edit2;
                    QCOMPARE(edit->text(), field);
                    QCOMPARE(TForm3::FolderText(*edit), field.toStdString());
                    QCOMPARE(TForm3::FolderText(*(temp ? d.Edit2 : d.Edit1)), std::string("/start/"));
                }).leftOpen);
        const platform::AskedBox box = OneBoxOfTheDialog();
        QCOMPARE(box.kind, platform::BoxKind::SelectDirectory);
        QCOMPARE(box.caption, QStringLiteral("Wybierz katalog"));
        QCOMPARE(box.value, QStringLiteral("/start/"));
    }

    // Cancel and the close box leave everything as it was, even after the
    // folder buttons and the other controls were used.
    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Anuluj") << false;
        QTest::newRow("close box") << true;
    }

    void cancelChangesNothing()
    {
        QFETCH(bool, closeBox);
        const std::string settings = "[Opcje]\r\nCzasMon=1500\r\nMonitorowanie=1\r\nUstPoz=1\r\n; a comment\r\n";
        fx->WriteSettings(settings);
        TForm1& form = fx->Start();
        const std::string temp = form.TempFolder;
        const std::string archive = form.ArchiveFolder;
        const ModalRun run = Options([&](TForm3& d) {
            for (QPushButton* b : {d.BitBtn2, d.BitBtn4, d.BitBtn5, d.BitBtn8})
                QTest::mouseClick(b, Qt::LeftButton);
            d.CheckBox1->setChecked(false);
            QTest::mouseClick(d.UpDown1->UpButton(), Qt::LeftButton);
            d.RadioGroup2->SetItemIndex(0);
            d.CheckBox2->setChecked(false);
            if (closeBox)
                d.close();
            else
                QTest::mouseClick(d.BitBtn6, Qt::LeftButton);
        });
        QVERIFY(run.opened);
        QVERIFY(!run.leftOpen);
        QCOMPARE(fx->ReadSettingsFile(), settings);
        QVERIFY(form.Timer1->Enabled());
        QCOMPARE(form.Timer1->Interval(), 1500);
        QVERIFY(form.ToolButton20->isChecked());
        QCOMPARE(int(form.UstPoz), 1);
        QCOMPARE(form.TempFolder, temp);
        QCOMPARE(form.ArchiveFolder, archive);
    }

    // A settings file that cannot be written ends the save at that write:
    // the error is shown and the dialog stays open.
    void failedWriteKeepsTheDialogOpen()
    {
        TForm1& form = fx->Start();
        fs::create_directory(fx->SettingsPath());  // a folder where "dovra.ini" goes
        bool openAfterSave = false;
        const ModalRun run = Options([&](TForm3& d) {
            d.CheckBox1->setChecked(true);
            QTest::mouseClick(d.BitBtn7, Qt::LeftButton);
            openAfterSave = d.isVisible();
        });
        QVERIFY(openAfterSave);
        QVERIFY(run.leftOpen);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::ShowException);
        QCOMPARE(asked[0].text, QStringLiteral("Unable to write to ") + Path(fx->SettingsPath()));
        // The steps before the write were done.
        QVERIFY(form.Timer1->Enabled());
        QVERIFY(form.ToolButton20->isChecked());
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
