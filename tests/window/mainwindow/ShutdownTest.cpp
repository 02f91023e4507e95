// Closing the main window: the eight keys written, the run's temp subfolder
// removed, a failed write shown, the geometry read back as written.
#include <filesystem>
#include <fstream>

#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

#include "tests/window/WindowFixture.h"

namespace fs = std::filesystem;

class ShutdownTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void closeWritesTheEightKeysInOrder()
    {
        fx->WriteSettings("[Opcje]\r\nSzer=800\r\nWys=600\r\nPolX=10\r\nPolY=20\r\nPasek=150\r\n"
                          "Monitorowanie=1\r\nCzasMon=1500\r\n");
        TForm1& form = fx->Start();
        fs::remove(fx->SettingsPath());
        QSignalSpy closed(&form, &TForm1::Closed);
        form.close();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fx->ReadSettingsFile(),
                 std::string("[Opcje]\r\nAktPoz=-1\r\nSzer=800\r\nWys=600\r\nPolX=10\r\n"
                             "PolY=20\r\nPasek=150\r\nMonitorowanie=1\r\nCzasMon=1500\r\n"));
    }

    void closeKeepsTheOtherKeys()
    {
        fx->WriteSettings("[Opcje]\r\nWersja=0\r\nUstPoz=1\r\n[Sciezki]\r\nTemp=/t/\r\n");
        TForm1& form = fx->Start();
        form.close();
        const platform::IniFile ini = fx->Settings();
        QCOMPARE(ini.ReadString("Opcje", "Wersja", "?"), std::string("0"));
        QCOMPARE(ini.ReadString("Opcje", "UstPoz", "?"), std::string("1"));
        QCOMPARE(ini.ReadString("Sciezki", "Temp", "?"), std::string("/t/"));
        QCOMPARE(ini.ReadString("Opcje", "Szer", "?"), std::to_string(form.frameGeometry().width()));
        QCOMPARE(ini.ReadString("Opcje", "Monitorowanie", "?"), std::string("0"));
        QCOMPARE(ini.ReadString("Opcje", "CzasMon", "?"), std::string("1000"));
    }

    void aktPozIsTheSelectedCategory_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("expected");  // -2: the stored category's id
        QTest::newRow("Uncategorised") << 0 << 0;
        QTest::newRow("a stored category") << 1 << -2;
        QTest::newRow("AllCategories") << 2 << -1;
        QTest::newRow("no row selected") << -1 << -1;
    }

    void aktPozIsTheSelectedCategory()
    {
        QFETCH(int, row);
        QFETCH(int, expected);
        const int id = fx->AddCategory("Jedna");
        TForm1& form = fx->Start();
        form.ListBox2->SetItemIndex(row);
        form.close();
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "AktPoz", 12345), expected == -2 ? id : expected);
    }

    void closeRemovesTheRunTempSubfolder()
    {
        TForm1& form = fx->Start();
        const std::string run = form.TempFolder + form.RunTempSubfolder;
        fs::create_directories(run + "kat/sub");
        std::ofstream(run + "kategorie") << "x";
        std::ofstream(run + "kat/sub/kat1") << "y";
        const std::string keep = form.TempFolder + "inny/";
        fs::create_directories(keep);
        form.close();
        QVERIFY(!fs::exists(run));
        QVERIFY(fs::exists(keep));
    }

    void closeWithoutATempSubfolderIsNoError()
    {
        TForm1& form = fx->Start();
        form.close();
        QVERIFY(fs::exists(fx->SettingsPath()));
    }

    void failedWriteIsShownAndTheWindowCloses()
    {
        TForm1& form = fx->Start();
        const std::string run = form.TempFolder + form.RunTempSubfolder;
        fs::create_directories(run);
        fs::create_directories(fx->SettingsPath());  // a folder where the file should be
        QSignalSpy closed(&form, &TForm1::Closed);
        form.close();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, platform::BoxKind::ShowException);
        QCOMPARE(asked[0].text, QString::fromStdString("Unable to write to " + fx->SettingsPath()));
        QCOMPARE(asked[0].caption, QStringLiteral("Quomira"));
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form.isVisible());
        QVERIFY(fs::exists(run));  // the write ended the close handler before the cleanup
    }

    void geometryReadsBackAsWritten()
    {
        fx->WriteSettings("[Opcje]\r\nSzer=820\r\nWys=610\r\nPolX=33\r\nPolY=44\r\nPasek=170\r\n");
        TForm1& first = fx->Start();
        QVERIFY(ShowAndWait(first));
        first.close();
        fx->DestroyForm();
        const std::string written = fx->ReadSettingsFile();
        TForm1& second = fx->Start();
        QVERIFY(ShowAndWait(second));
        second.close();
        QCOMPARE(fx->ReadSettingsFile(), written);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "Szer", 0), 820);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "PolX", 0), 33);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "Pasek", 0), 170);
    }
};

QTEST_MAIN(ShutdownTest)
#include "ShutdownTest.moc"
