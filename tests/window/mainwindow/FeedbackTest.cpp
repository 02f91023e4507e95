// Failures the user sees. What the window shows is what the catalogue file
// holds: a write the store refuses (another program holds the catalogue, the
// file may not be written, or a row is refused) changes nothing, is said
// once and leaves the lists as the file has them, checked with SQL after
// each failed write; a catalogue that cannot be reached says so instead of
// dropping the change; a link that cannot be opened is said once.
#include <sqlite3.h>

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <QComboBox>
#include <QPushButton>

#include "platform/QtBoxes.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/CategoryOrderDialog.h"
#include "window/dialogs/MoveLinksDialog.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

// A second connection to the catalogue, as another program would hold it.
class OtherProgram {
public:
    explicit OtherProgram(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
    ~OtherProgram() { sqlite3_close(db_); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    bool Exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

private:
    sqlite3* db_ = nullptr;
};

std::vector<int> Ids(const WindowFixture::Rows& rows)
{
    std::vector<int> ids;
    for (const auto& row : rows)
        ids.push_back(std::stoi(row.front()));
    return ids;
}

}  // namespace

class FeedbackTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    std::unique_ptr<OtherProgram> other;
    int dom = 0, praca = 0;
    std::vector<int> domLinks;

    std::string DbPath() const { return fx->SettingsFolder() + "dovra.db"; }

    // The links of a category in the order the store lists them.
    std::vector<int> StoredLinks(int catId) const
    {
        return Ids(fx->Query("select ID from LINKS where CAT_ID=" + std::to_string(catId) + " order by POS, ID"));
    }
    std::vector<int> StoredCategories() const { return Ids(fx->Query("select ID from CATEGS order by POS, ID")); }

    // The stored categories as the category list shows them, between the two
    // pseudo-categories.
    static std::vector<int> ShownCategories(const TForm1& form)
    {
        std::vector<int> ids = RowIds(*form.ListBox2);
        return {ids.begin() + 1, ids.end() - 1};
    }

    // "locked": another program holds the write lock past the store's wait
    // (reads still work); "read-only": SQLite may read the file but not write
    // it;
    // "refused": a trigger refuses every statement; "refused in part": only
    // the second row's statement fails, after the rows before it.
    void Spoil(const QString& fault, const char* event, int secondId)
    {
        if (fault == "locked") {
            QVERIFY(other->Exec("BEGIN IMMEDIATE;"));
            return;
        }
        if (fault == "read-only") {
            fx->MakeCatalogueReadOnly();
            return;
        }
        std::string when = fault == "refused in part" ? " WHEN OLD.ID=" + std::to_string(secondId) : "";
        QVERIFY(other->Exec(std::string("CREATE TRIGGER spoil BEFORE ") + event + " ON LINKS" + when +
                            " BEGIN SELECT RAISE(ABORT,'tylko do odczytu'); END;"));
        QVERIFY(other->Exec(std::string("CREATE TRIGGER spoilc BEFORE ") + event + " ON CATEGS" +
                            " BEGIN SELECT RAISE(ABORT,'tylko do odczytu'); END;"));
    }

    // The store's own message for the failed write, once however many rows
    // it had, after the command's question when it asked one.
    void ExpectStoreMessage(const QString& fault, bool question = false)
    {
        auto asked = fx->boxes.TakeAsked();
        if (question) {
            QVERIFY(!asked.empty());
            QCOMPARE(asked.front().caption, QStringLiteral("Zapytanie"));
            asked.erase(asked.begin());
        }
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked.front().kind, BoxKind::ShowMessage);
        const QString text = fault == "locked" ? QStringLiteral("database is locked")
            : fault == "read-only"             ? QStringLiteral("attempt to write a readonly database")
                                               : QStringLiteral("tylko do odczytu");
        QCOMPARE(asked.front().text, text);
    }

    static void Faults()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault : kFaults)
            QTest::newRow(fault) << fault;
    }
    static constexpr const char* kFaults[] = {"locked", "read-only", "refused", "refused in part"};

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        dom = fx->AddCategory("Dom");
        praca = fx->AddCategory("Praca");
        fx->AddCategory("Sport");
        domLinks = {fx->AddLink(dom, "http://a.pl", "A"), fx->AddLink(dom, "http://b.pl", "B"),
                    fx->AddLink(dom, "http://c.pl", "C"), fx->AddLink(dom, "http://d.pl", "D")};
        fx->AddLink(praca, "http://p.pl", "P");
        other = std::make_unique<OtherProgram>(DbPath());
    }
    void cleanup()
    {
        other.reset();
        EndFixture(fx);
    }

    // ---- failed writes

    void failedDeleteShowsTheStoredLinks_data() { Faults(); }
    void failedDeleteShowsTheStoredLinks()
    {
        QFETCH(QString, fault);
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 1, 3}, 2);
        Spoil(fault, "DELETE", domLinks[1]);
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        form.Usutenlink1Click();
        other->Exec("ROLLBACK;");

        ExpectStoreMessage(fault, true);
        const std::vector<int> stored = StoredLinks(dom);
        QCOMPARE(stored, domLinks);  // also the rows before the refused one
        QCOMPARE(RowIds(*form.ListBox1), stored);
        QCOMPARE(RowIds(*form.ListBox1)[std::size_t(form.ListBox1->ItemIndex())], domLinks[2]);
        QCOMPARE(form.Busy, false);
    }

    void failedMoveShowsTheStoredOrder_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("up");
        for (const char* fault : kFaults) {
            QTest::addRow("up, %s", fault) << fault << true;
            QTest::addRow("down, %s", fault) << fault << false;
        }
    }
    void failedMoveShowsTheStoredOrder()
    {
        QFETCH(QString, fault);
        QFETCH(bool, up);
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {1, 2}, 2);
        // Both moves rewrite the positions of three links; the second of
        // them in the store's order is refused in part.
        Spoil(fault, "UPDATE", up ? domLinks[2] : domLinks[1]);
        if (up)
            form.Przesuzaznaczonelinkiwgr1Click();
        else
            form.Przesuzaznaczonelinkiwd1Click();
        other->Exec("ROLLBACK;");

        ExpectStoreMessage(fault);
        QCOMPARE(RowIds(*form.ListBox1), StoredLinks(dom));
        QCOMPARE(StoredLinks(dom), domLinks);
        QCOMPARE(RowIds(*form.ListBox1)[std::size_t(form.ListBox1->ItemIndex())], domLinks[2]);
    }

    void failedMoveToACategoryShowsTheStoredLinks_data() { Faults(); }
    void failedMoveToACategoryShowsTheStoredLinks()
    {
        QFETCH(QString, fault);
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 1, 2}, 0);
        Spoil(fault, "UPDATE", domLinks[1]);
        const ModalRun run = RunModal<TForm7>([&form] { form.Przeniewybranelinkidoinnejkategorii1Click(); },
                                              [](TForm7& dialog) {
                                                  dialog.ComboBox1->setCurrentIndex(2);
                                                  QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
                                              });
        other->Exec("ROLLBACK;");

        QVERIFY(run.opened && !run.leftOpen);
        ExpectStoreMessage(fault);
        QCOMPARE(RowIds(*form.ListBox1), StoredLinks(dom));
        QCOMPARE(StoredLinks(dom), domLinks);
        QCOMPARE(StoredLinks(praca).size(), std::size_t(1));
    }

    void failedCategoryDeleteKeepsTheCategory_data() { Faults(); }
    void failedCategoryDeleteKeepsTheCategory()
    {
        QFETCH(QString, fault);
        TForm1& form = fx->Start();
        ChooseCategory(form, 1);
        Spoil(fault, "DELETE", domLinks[1]);
        fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
        form.Usutkategori1Click();
        other->Exec("ROLLBACK;");

        ExpectStoreMessage(fault, true);
        QCOMPARE(ShownCategories(form), StoredCategories());
        QCOMPARE(RowIds(*form.ListBox2)[std::size_t(form.ListBox2->ItemIndex())], dom);
        QCOMPARE(RowIds(*form.ListBox1), StoredLinks(dom));
        QCOMPARE(form.Busy, false);
    }

    void failedOrderSaveShowsTheStoredOrder()
    {
        TForm1& form = fx->Start();
        ChooseCategory(form, 2);
        const std::vector<int> before = StoredCategories();
        QVERIFY(other->Exec("BEGIN IMMEDIATE;"));
        const ModalRun run = RunModal<TForm4>([&form] { form.Kolejno1Click(); },
                                              [](TForm4& dialog) {
                                                  dialog.ListBox1->SetItemIndex(0);
                                                  dialog.ListBox1->SetSelected(0, true);
                                                  dialog.BitBtn2Click();
                                                  dialog.BitBtn5Click();
                                              });
        other->Exec("ROLLBACK;");

        QVERIFY(run.opened && !run.leftOpen);
        ExpectStoreMessage("locked");
        QCOMPARE(StoredCategories(), before);
        QCOMPARE(ShownCategories(form), before);
        QCOMPARE(RowIds(*form.ListBox2)[std::size_t(form.ListBox2->ItemIndex())], praca);
    }

    // ---- an unreachable catalogue

    // "Archiwa" names a folder that is not there: start-up and every command
    // say which file could not be opened; nothing is created anywhere.
    void unreachableCatalogueIsNeverSilent()
    {
        const std::string missing = fx->Root() + "odlaczony/dysk/";
        fx->WriteSettings("[Sciezki]\r\nArchiwa=" + missing + "\r\n");
        TForm1& form = fx->Start();
        const QString unreachable = "unable to open database file\n" + QString::fromStdString(missing) + "dovra.db";
        for (const auto& box : fx->boxes.TakeAsked())
            QCOMPARE(box.text, unreachable);

        fx->boxes.Script(BoxAnswer::Text(QStringLiteral("Nowa")));
        form.Dodajnowkategori1Click();
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(3));  // the name, the add, the reload
        QCOMPARE(asked[1].kind, BoxKind::ShowMessage);
        QCOMPARE(asked[1].text, unreachable);

        ChooseCategory(form, 0);
        fx->boxes.TakeAsked();
        fx->boxes.Script(BoxAnswer::Text(QStringLiteral("http://nowy.pl")));
        form.Dodajnowylink1Click();
        asked = fx->boxes.TakeAsked();
        QVERIFY(asked.size() >= 2);
        QCOMPARE(asked[1].text, unreachable);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(fx->Root() + "odlaczony")));
        QCOMPARE(form.Busy, false);
    }

    // ---- a long pasted address

    // Through the real input box: a pasted address of 300 characters is
    // stored and shown whole.
    void longPastedAddressIsStoredWhole()
    {
        const std::string address = "http://example.com/?q=" + std::string(278, 'x');
        QApplication::clipboard()->setText(QString::fromStdString(address));
        platform::QtBoxes real;
        TForm1 form(real, fx->ExePath());
        form.FormCreate();
        ChooseCategory(form, 2);  // "Praca"
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            auto* edit = box->findChild<QLineEdit*>();
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        form.Dodajnowylink1Click();
        const auto stored = fx->Query("select LINK from LINKS where CAT_ID=" + std::to_string(praca) + " order by POS");
        QCOMPARE(stored.back().front(), address);
        QCOMPARE(GetTagValue(form.ListBox1->Item(form.ListBox1->Count() - 1), "<l>"), address);
    }

    // ---- a desktop whose opener cannot be started

    void linkThatCannotBeOpenedIsSaidOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("command") << "command";
        QTest::newRow("Enter") << "Enter";
        QTest::newRow("double click") << "double click";
    }
    void linkThatCannotBeOpenedIsSaidOnce()
    {
        QFETCH(QString, how);
        TForm1& form = fx->Start();
        fx->RecordOpens().SetCannotStart(true);
        ChooseCategory(form, 1);
        SelectLinkRows(form, {1, 2, 3}, 1);
        if (how == "command")
            form.Otwrzlinkwdomylnympr1->trigger();
        else if (how == "Enter")
            form.ListBox1KeyDown(Qt::Key_Return);
        else
            form.ListBox1DblClick();

        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::MessageBox);
        QCOMPARE(asked[0].text, QStringLiteral("Nie można otworzyć linku :\nhttp://b.pl"));
        QCOMPARE(asked[0].caption, QStringLiteral("Ostrzeżenie"));
        QCOMPARE(asked[0].flags, 0x30u);
        QCOMPARE(form.Busy, false);
    }

    // An empty link is nothing to open: nothing is said, the other links open.
    void refusedLinkIsNoMissingOpener()
    {
        fx->AddLink(dom, "", "pusty");
        TForm1& form = fx->Start();
        platform::RecordingOpener* opened = &fx->RecordOpens();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 4}, 0);
        form.Otwrzlinkwdomylnympr1Click();
        QCOMPARE(opened->Opened(), QStringList{QStringLiteral("http://a.pl")});
    }

    // The desktop's opener ends with a failure after it started: the first
    // failing link of the command is said, once for the command.
    void aLaterFailureIsSaidOncePerCommand()
    {
        TForm1& form = fx->Start();
        platform::RecordingOpener* opened = &fx->RecordOpens();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 1, 2, 3}, 0);
        form.Otwrzlinkwdomylnympr1Click();
        QCOMPARE(opened->Opened().size(), 4);
        QVERIFY(fx->boxes.TakeAsked().empty());
        for (int failed : {1, 3, 2})
            opened->FailLater(failed);
        QVERIFY(fx->WaitForABox());
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Describe(),
                 QStringLiteral("MessageBox 'Nie można otworzyć linku :\nhttp://b.pl' / 'Ostrzeżenie' flags 0x30"));
        QCOMPARE(asked[0].owner, QStringLiteral("TForm1"));

        // The next command is a command of its own.
        opened->Clear();
        form.Otwrzlinkwdomylnympr1Click();
        opened->FailLater(2);
        QVERIFY(fx->WaitForABox());
        asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].text, QStringLiteral("Nie można otworzyć linku :\nhttp://c.pl"));
    }

    // A later failure comes from the event loop, which a store call also
    // runs (through ProcessMessages) while the window is busy: it is said
    // queued, never while the window is busy, and once that ends.
    void aLaterFailureWaitsUntilTheWindowIsNoLongerBusy()
    {
        TForm1& form = fx->Start();
        platform::RecordingOpener& opened = fx->RecordOpens();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 1}, 0);
        form.Otwrzlinkwdomylnympr1Click();
        {
            platform::BusyGuard busy(form.Busy);
            opened.FailLater(1);
            opened.FailLater(0);
            QTest::qWait(300);
            QVERIFY(fx->boxes.Asked().empty());
        }
        QVERIFY(fx->WaitForABox());
        auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Describe(),
                 QStringLiteral("MessageBox 'Nie można otworzyć linku :\nhttp://b.pl' / 'Ostrzeżenie' flags 0x30"));
        QCOMPARE(asked[0].owner, QStringLiteral("TForm1"));

        // Not busy: still not from inside the call that brought the answer.
        opened.Clear();
        form.Otwrzlinkwdomylnympr1Click();
        opened.FailLater(0);
        QVERIFY(fx->boxes.Asked().empty());
        QVERIFY(fx->WaitForABox());
        asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].text, QStringLiteral("Nie można otworzyć linku :\nhttp://a.pl"));
    }

    // A link the program never hands to the desktop's opener (one that it
    // would read as an option, one naming an executable file) is said; the
    // other links of the command still open, and nothing more is said.
    void aLinkThatIsNeverHandedOnIsSaid_data()
    {
        QTest::addColumn<QString>("link");
        QTest::newRow("-e") << "-e";
        QTest::newRow("--help") << "--help";
        QTest::newRow("executable file") << "executable";
    }
    void aLinkThatIsNeverHandedOnIsSaid()
    {
        QFETCH(QString, link);
        if (link == "executable") {
            link = QString::fromStdString(fx->Root()) + "run.sh";
            QFile program(link);
            QVERIFY(program.open(QIODevice::WriteOnly));
            program.write("#!/bin/sh\n");
            program.close();
            QVERIFY(program.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        }
        fx->AddLink(dom, link.toStdString(), "");
        fx->AddLink(dom, "--version", "");
        TForm1& form = fx->Start();
        platform::RecordingOpener* opened = &fx->RecordOpens();
        ChooseCategory(form, 1);
        SelectLinkRows(form, {0, 4, 5, 1}, 0);
        form.Otwrzlinkwdomylnympr1Click();
        QCOMPARE(opened->Opened(), (QStringList{QStringLiteral("http://a.pl"), QStringLiteral("http://b.pl")}));
        opened->FailLater(1);
        QTest::qWait(200);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Describe(),
                 "MessageBox 'Nie można otworzyć linku :\n" + link + "' / 'Ostrzeżenie' flags 0x30");
        QCOMPARE(form.Busy, false);
    }
};

QTEST_MAIN(FeedbackTest)
#include "FeedbackTest.moc"
