// Another program holding the catalogue whole (an exclusive lock: no read
// either) while a command runs: the command waits for the lock once, says
// "database is locked" once, however many store calls it makes after the
// first failure (the reload after the failed write among them), and changes
// nothing. Start-up likewise. Each command is chosen as the user chooses it,
// through its menu item.
#include <sqlite3.h>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

#include "platform/testing/TestClipboard.h"
#include "store/Db_funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/dialogs/CategoryOrderDialog.h"
#include "window/dialogs/MoveLinksDialog.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

// The lock wait of this test: long enough to tell a wait from the rest of a
// command, short enough for the suite.
constexpr int kWait = 300;

// Another program's connection holding the exclusive lock while it lives.
class ExclusiveLock {
public:
    explicit ExclusiveLock(const std::string& path)
    {
        sqlite3_open(path.c_str(), &db_);
        held_ = sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ExclusiveLock()
    {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
    }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;
    bool Held() const { return held_; }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

using Command = std::function<void(TForm1&, platform::ScriptedBoxes&)>;

// Runs the command of item; when a dialog of type Dialog opens, act gets it.
template <class Dialog>
void InDialog(QAction* item, const std::function<void(Dialog&)>& act)
{
    const ModalRun run = RunModal<Dialog>([item] { item->trigger(); }, act);
    QVERIFY(run.opened && !run.leftOpen);
}

// The write commands of the main window, each with what it asks answered.
const std::vector<std::pair<const char*, Command>>& Commands()
{
    using Boxes = platform::ScriptedBoxes;
    static const std::vector<std::pair<const char*, Command>> commands = {
        {"Dodaj nowy link",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Text(QStringLiteral("http://nowy.pl")));
             form.Dodajnowylink1->trigger();
         }},
        {"Zmień link",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Text(QStringLiteral("http://inny.pl")));
             form.Zmielink1->trigger();
         }},
        {"Zmień opis",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Text(QStringLiteral("nowy opis")));
             form.Zmieopis1->trigger();
         }},
        {"Usuń wybrane linki",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Button(platform::IdYes));
             form.Usutenlink1->trigger();
         }},
        {"Przesuń w górę", [](TForm1& form, Boxes&) { form.Przesuzaznaczonelinkiwgr1->trigger(); }},
        {"Przesuń w dół", [](TForm1& form, Boxes&) { form.Przesuzaznaczonelinkiwd1->trigger(); }},
        {"Przenieś do innej kategorii",
         [](TForm1& form, Boxes&) {
             InDialog<TForm7>(form.Przeniewybranelinkidoinnejkategorii1, [](TForm7& dialog) {
                 dialog.ComboBox1->setCurrentIndex(2);
                 QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
             });
         }},
        {"Sortuj linki", [](TForm1& form, Boxes&) { form.Sortujlinkiwkategorii1->trigger(); }},
        {"Znajdź powtórki",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Button(platform::IdYes));
             form.Szukajpowtrek1->trigger();
         }},
        {"Dodaj linki ze schowka",
         [](TForm1& form, Boxes&) {
             auto clipboard = std::make_unique<platform::TestClipboard>();
             clipboard->Hold(QStringLiteral("http://schowek.pl"));
             form.SetClipboard(std::move(clipboard));
             InDialog<TForm2>(form.Dodajlinkzeschowka1, [](TForm2& dialog) {
                 dialog.ComboBox1->setCurrentIndex(1);
                 QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
             });
         }},
        {"Dodaj nową kategorię",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Text(QStringLiteral("Nowa")));
             form.Dodajnowkategori1->trigger();
         }},
        {"Zmień nazwę",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Text(QStringLiteral("Inna")));
             form.Zmienazw1->trigger();
         }},
        {"Kolejność kategorii",
         [](TForm1& form, Boxes&) {
             InDialog<TForm4>(form.Kolejno1, [](TForm4& dialog) {
                 dialog.ListBox1->SetItemIndex(0);
                 dialog.ListBox1->SetSelected(0, true);
                 dialog.BitBtn2Click();
                 dialog.BitBtn5Click();
             });
         }},
        {"Usuń kategorię",
         [](TForm1& form, Boxes& boxes) {
             boxes.Script(BoxAnswer::Button(platform::IdYes));
             form.Usutkategori1->trigger();
         }},
    };
    return commands;
}

}  // namespace

// Scripted boxes that note when the first message came: a command waits for
// the lock before it, and must not wait again after it.
class TimedBoxes : public platform::ScriptedBoxes {
public:
    void StartClock()
    {
        clock_.start();
        firstMessage_ = -1;
    }
    qint64 Elapsed() const { return clock_.elapsed(); }
    // Milliseconds from StartClock to the first message; -1 for none.
    qint64 FirstMessage() const { return firstMessage_; }

    void ShowMessage(const QString& text) override
    {
        if (firstMessage_ < 0)
            firstMessage_ = clock_.elapsed();
        ScriptedBoxes::ShowMessage(text);
    }

private:
    QElapsedTimer clock_;
    qint64 firstMessage_ = -1;
};

class LockedCatalogueTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    std::unique_ptr<TimedBoxes> boxes;
    std::unique_ptr<TForm1> form;

    std::string DbPath() const { return fx->SettingsFolder() + "dovra.db"; }
    WindowFixture::Rows Stored() const
    {
        return fx->Query("select 'C', ID, POS, NAME, DESCR from CATEGS union all "
                         "select 'L', ID, CAT_ID || ':' || POS, LINK, DESCR from LINKS order by 1, 2");
    }
    QString LockedText() const { return "database is locked\n" + QString::fromStdString(DbPath()); }

    // The main window on the timed boxes, started.
    TForm1& Start()
    {
        form = std::make_unique<TForm1>(*boxes, fx->ExePath());
        platform::RunGuarded(*boxes, [this] { form->FormCreate(); });
        return *form;
    }

    // Runs what under the other program's lock: the store's messages are its
    // one "database is locked"; the lock was waited for before it (once) and
    // not again after it. The command's own questions and inputs are left out.
    void ExpectOneWaitAndOneMessage(const std::function<void()>& what)
    {
        qint64 first = -1, end = 0;
        {
            const ExclusiveLock lock(DbPath());
            QVERIFY(lock.Held());
            boxes->StartClock();
            what();
            end = boxes->Elapsed();
            first = boxes->FirstMessage();
        }
        std::vector<QString> texts;
        for (const auto& box : boxes->TakeAsked())
            if (box.kind == BoxKind::ShowMessage)
                texts.push_back(box.text);
        QCOMPARE(texts, std::vector<QString>{LockedText()});
        const QString times = QStringLiteral("message after %1 ms, end after %2 ms").arg(first).arg(end);
        QVERIFY2(first >= kWait * 9 / 10, qPrintable(times));
        QVERIFY2(end - first < kWait, qPrintable(times));
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        boxes = std::make_unique<TimedBoxes>();
        const int dom = fx->AddCategory("Dom");
        fx->AddCategory("Praca");
        fx->AddLink(dom, "http://b.pl", "B");
        fx->AddLink(dom, "http://a.pl", "A");
        fx->AddLink(dom, "http://b.pl", "B2");  // a repeat
        DbSetLockWait(kWait);
    }
    void cleanup()
    {
        form.reset();
        const bool done = boxes->TakeUnscripted().empty() && boxes->TakeAsked().empty() && boxes->PendingAnswers() == 0;
        boxes.reset();
        DbSetLockWait(SQLiteClass::kDefaultLockWaitMs);
        EndFixture(fx);
        QVERIFY2(done, "a box went unchecked or a question unscripted");
    }

    void eachCommandWaitsAndSaysOnce_data()
    {
        QTest::addColumn<int>("command");
        for (std::size_t i = 0; i < Commands().size(); ++i)
            QTest::newRow(Commands()[i].first) << int(i);
    }
    void eachCommandWaitsAndSaysOnce()
    {
        QFETCH(int, command);
        TForm1& started = Start();
        ChooseCategory(started, 1);
        SelectLinkRows(started, {1}, 1);
        const WindowFixture::Rows before = Stored();

        ExpectOneWaitAndOneMessage([&] { Commands()[std::size_t(command)].second(started, *boxes); });

        QCOMPARE(Stored(), before);
        QCOMPARE(started.Busy, false);
    }

    void startupWaitsAndSaysOnce()
    {
        const WindowFixture::Rows before = Stored();

        ExpectOneWaitAndOneMessage([this] { Start(); });

        QCOMPARE(Stored(), before);
        QCOMPARE(form->Busy, false);
    }
};

QTEST_MAIN(LockedCatalogueTest)
#include "LockedCatalogueTest.moc"
