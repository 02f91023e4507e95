// The tray: its menu and the enabling rule, hiding to the tray and showing
// from it, minimising with and without a tray, and the close commands, also
// while a modal dialog of the program is open. The desktop's tray is the test
// host's: present or absent as each test sets it.
#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QWindow>
#include <QtTest>

#include "platform/QtBoxes.h"
#include "platform/testing/FixedTrayHost.h"
#include "platform/testing/TestClipboard.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/dialogs/CategoryOrderDialog.h"
#include "window/dialogs/OptionsDialog.h"
#include "window/widgets/CheckListBox.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

const char* const kCloseKeys[] = {"AktPoz", "Szer", "Wys", "PolX", "PolY", "Pasek", "Monitorowanie", "CzasMon"};

bool SameImage(const QIcon& a, const QIcon& b)
{
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

// The window's focused control once the window is active.
QWidget* FocusOf(TForm1& form)
{
    return form.focusWidget();
}

}  // namespace

// Once a dialog of type Dialog is the active modal window, act gets it (a
// dialog act leaves open is then cancelled). For dialogs that a timer opens.
template <class Dialog>
class WhenDialogOpens {
public:
    explicit WhenDialogOpens(std::function<void(Dialog&)> act) : act_(std::move(act))
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll_.stop();
            ++opened_;
            act_(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        poll_.start(5);
    }
    int Opened() const { return opened_; }
    // Watches again, for a second dialog.
    void Rearm() { poll_.start(5); }

private:
    std::function<void(Dialog&)> act_;
    QTimer poll_;
    int opened_ = 0;
};

class TrayTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    platform::TestClipboard* clip = nullptr;

    // Starts the window on a desktop with or without a tray, with a test
    // clipboard that holds no text.
    TForm1& Start(bool tray)
    {
        TForm1& form = fx->Start();
        form.SetTrayHost(std::make_unique<platform::FixedTrayHost>(tray));
        auto clipboard = std::make_unique<platform::TestClipboard>();
        clip = clipboard.get();
        form.SetClipboard(std::move(clipboard));
        return form;
    }

    // The same, shown and active.
    TForm1& StartShown(bool tray)
    {
        TForm1& form = Start(tray);
        [&] { QVERIFY(ShowAndWait(form)); }();
        return form;
    }

    // Runs act while the category order dialog (a modal dialog that raises
    // Busy) is open; the dialog is cancelled afterwards if act left it open.
    static ModalRun WhileOrderDialogOpen(TForm1& form, const std::function<void(TForm4&)>& act)
    {
        return RunModal<TForm4>([&form] { form.Kolejno1->trigger(); }, act);
    }

    // Runs act while the add-links dialog offers the clipboard's links.
    ModalRun WhileAddLinksDialogOpen(TForm1& form, const std::function<void(TForm2&)>& act)
    {
        clip->Hold(QStringLiteral("http://schowek.pl/1\nhttp://schowek.pl/2"));
        return RunModal<TForm2>([&form] { form.Dodajlinkzeschowka1Click(); }, act);
    }

    // Runs act while the dialog named is open: "order" or "add links".
    ModalRun WhileDialogOpen(TForm1& form, const QString& dialog, const std::function<void(QDialog&)>& act)
    {
        if (dialog == "order")
            return WhileOrderDialogOpen(form, [&](TForm4& d) { act(d); });
        return WhileAddLinksDialogOpen(form, [&](TForm2& d) { act(d); });
    }

    int LinkCount() { return std::stoi(fx->Query("SELECT COUNT(*) FROM LINKS").front().front()); }

    static void Hidden(TForm1& form)
    {
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(form.isMinimized());
    }

    static void ShownActive(TForm1& form)
    {
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_COMPARE(FocusOf(form), static_cast<QWidget*>(form.ListBox1));
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        fx->AddCategory("Pierwsza");
        fx->AddCategory("Druga");
    }
    void cleanup() { EndFixture(fx); }

    // ---- the icon and its menu

    void iconHintAndMenu()
    {
        TForm1& form = Start(false);
        QVERIFY(form.TrayIcon1->isVisible());
        QCOMPARE(form.TrayIcon1->toolTip(), QStringLiteral("Quomira"));
        QVERIFY(!form.TrayIcon1->icon().isNull());
        QVERIFY(SameImage(form.TrayIcon1->icon(), form.windowIcon()));
        QCOMPARE(form.TrayIcon1->contextMenu(), form.PopupMenu2);

        const struct {
            QAction* item;
            QString caption;
            int image;  // -1: none; -2: a separator
        } expected[] = {
            {form.Monitorowanieschowka1, QStringLiteral("Monitorowanie schowka"), -1},
            {nullptr, {}, -2},
            {form.Dodajnowylink2, QStringLiteral("Dodaj nowy link"), 0},
            {form.Dodajlinkizeschowka1, QStringLiteral("Dodaj linki ze schowka"), 1},
            {form.Dodajlinkizpliku2, QStringLiteral("Dodaj linki z pliku"), 3},
            {nullptr, {}, -2},
            {form.Poka1, QStringLiteral("Pokaż"), 14},
            {nullptr, {}, -2},
            {form.Ukryj1, QStringLiteral("Ukryj"), 15},
            {nullptr, {}, -2},
            {form.Zamknij2, QStringLiteral("Zamknij"), 12},
        };
        const QList<QAction*> items = form.PopupMenu2->actions();
        QCOMPARE(items.size(), qsizetype(std::size(expected)));
        for (int i = 0; i < items.size(); ++i) {
            const auto& want = expected[i];
            if (want.image == -2) {
                QVERIFY2(items[i]->isSeparator(), qPrintable(QString::number(i)));
                continue;
            }
            QCOMPARE(items[i], want.item);
            QCOMPARE(items[i]->text(), want.caption);
            if (want.image == -1)
                QVERIFY(items[i]->icon().isNull());
            else
                QVERIFY2(SameImage(items[i]->icon(), form.ImageList1.Icon(want.image)), qPrintable(want.caption));
        }
        QVERIFY(form.Monitorowanieschowka1->isCheckable());

        // The toolbar's last button closes too.
        QCOMPARE(form.ToolBar1->actions().last(), form.ToolButton16);
        QCOMPARE(form.ToolButton16->text(), QStringLiteral("Zamknij"));
        QCOMPARE(form.ToolButton16->toolTip(), QStringLiteral("Zamknij"));
        QVERIFY(SameImage(form.ToolButton16->icon(), form.ImageList1.Icon(12)));
        QCOMPARE(form.PopupMenu1->actions().last(), form.Zamknij1);
    }

    // ---- PopupMenu2Popup: the add items follow Busy, the check follows Timer1

    void menuOpeningFollowsBusyAndTheMonitor_data()
    {
        QTest::addColumn<QString>("dialog");  // "" for none
        QTest::addColumn<bool>("monitorOn");
        QTest::newRow("idle, monitor off") << "" << false;
        QTest::newRow("idle, monitor on") << "" << true;
        QTest::newRow("add-links dialog open, monitor on") << "add links" << true;
        QTest::newRow("add-links dialog open, monitor off") << "add links" << false;
        QTest::newRow("order dialog open, monitor on") << "order" << true;
    }

    void menuOpeningFollowsBusyAndTheMonitor()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, monitorOn);
        TForm1& form = Start(true);
        form.Timer1->SetInterval(0);  // switched on, but no tick interferes
        form.Timer1->SetEnabled(monitorOn);
        // Start from the opposite of what the opening must show.
        form.Monitorowanieschowka1->setChecked(!monitorOn);
        const bool busy = !dialog.isEmpty();
        for (QAction* item : {form.Dodajnowylink2, form.Dodajlinkizeschowka1, form.Dodajlinkizpliku2})
            item->setEnabled(busy);

        const auto openMenu = [&form, monitorOn](bool busy) {
            form.PopupMenu2->popup(QPoint(10, 10));
            QCOMPARE(form.Monitorowanieschowka1->isChecked(), monitorOn);
            for (QAction* item : {form.Dodajnowylink2, form.Dodajlinkizeschowka1, form.Dodajlinkizpliku2})
                QCOMPARE(item->isEnabled(), !busy);
            for (QAction* item : {form.Monitorowanieschowka1, form.Poka1, form.Ukryj1, form.Zamknij2})
                QVERIFY(item->isEnabled());
            form.PopupMenu2->hide();
        };
        if (busy) {
            const ModalRun run = WhileDialogOpen(form, dialog, [&](QDialog&) { openMenu(true); });
            QVERIFY(run.opened);
        }
        // Opened once nothing runs: the add items are enabled (again).
        openMenu(false);
    }

    void theMonitorAtStartShowsInTheTrayMenu()
    {
        fx->WriteSettings("[Opcje]\r\nMonitorowanie=1\r\nCzasMon=0\r\n");
        TForm1& form = Start(true);
        QVERIFY(form.Monitorowanieschowka1->isChecked());
        QVERIFY(form.Monitorowanieschowka2->isChecked());
        QVERIFY(form.ToolButton20->isChecked());
    }

    void theOptionsDialogsSwitchShowsInTheTrayMenu_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("switched on") << true;
        QTest::newRow("switched off") << false;
    }

    void theOptionsDialogsSwitchShowsInTheTrayMenu()
    {
        QFETCH(bool, on);
        TForm1& form = Start(true);
        form.SwitchMonitor(!on);
        form.Timer1->SetInterval(0);
        const ModalRun run = RunModal<TForm3>([&form] { form.Opcjeprogramu1Click(); },
                                              [on](TForm3& dialog) {
                                                  dialog.CheckBox1->setChecked(on);
                                                  dialog.BitBtn7Click();
                                              });
        QVERIFY(run.opened);
        QCOMPARE(form.Timer1->Enabled(), on);
        QCOMPARE(form.Monitorowanieschowka1->isChecked(), on);
        QCOMPARE(form.Monitorowanieschowka2->isChecked(), on);
        QCOMPARE(form.ToolButton20->isChecked(), on);
    }

    // ---- a tray add command chosen while Busy is raised

    void trayAddCommandWhileBusyAsksNothing_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("item");
        for (const char* dialog : {"add links", "order"})
            for (const char* item : {"Dodajnowylink2", "Dodajlinkizeschowka1", "Dodajlinkizpliku2"})
                QTest::addRow("%s, %s", dialog, item) << dialog << item;
    }

    void trayAddCommandWhileBusyAsksNothing()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, item);
        TForm1& form = Start(true);
        QAction* action = item == "Dodajnowylink2" ? form.Dodajnowylink2
            : item == "Dodajlinkizeschowka1"       ? form.Dodajlinkizeschowka1
                                                   : form.Dodajlinkizpliku2;
        bool busyAfter = false;
        int dialogsOver = 0;
        const ModalRun run = WhileDialogOpen(form, dialog, [&](QDialog& open) {
            // The tray host showed the menu without letting the program
            // prepare it: the item is still enabled.
            QVERIFY(action->isEnabled());
            clip->Hold(QStringLiteral("http://inny.pl"));  // links a second dialog would offer
            WhenDialogOpens<TForm2> second([&](TForm2&) { ++dialogsOver; });
            action->trigger();
            busyAfter = form.Busy;
            QVERIFY(open.isVisible());
        });
        QVERIFY(run.opened);
        QVERIFY2(busyAfter, "the tray command lowered the flag under the open dialog");
        QCOMPARE(dialogsOver, 0);
        QVERIFY(!form.Busy);
        QVERIFY(fx->boxes.TakeAsked().empty());
    }

    void trayAddCommandsRunWhenIdle()
    {
        TForm1& form = Start(true);
        fx->boxes.Script(BoxAnswer::Text(QString()));
        form.Dodajnowylink2->trigger();
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Dodajlinkizpliku2->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].kind, BoxKind::InputBox);
        QCOMPARE(asked[0].caption, QStringLiteral("Treść linku"));
        QCOMPARE(asked[1].kind, BoxKind::OpenFile);
        clip->Hold(QStringLiteral("http://z.pl"));
        QVERIFY(RunModal<TForm2>([&form] { form.Dodajlinkizeschowka1->trigger(); }, [](TForm2&) {}).opened);
    }

    // ---- hiding and showing

    void hideAndShowTwiceInARow()
    {
        TForm1& form = StartShown(true);
        form.ListBox2->setFocus();
        QTRY_COMPARE(FocusOf(form), static_cast<QWidget*>(form.ListBox2));
        for (int i = 0; i < 2; ++i) {
            form.Ukryj1->trigger();
            Hidden(form);
        }
        for (int i = 0; i < 2; ++i) {
            form.Poka1->trigger();
            ShownActive(form);
        }
        // A tray click shows like "Pokaż", also twice.
        form.Ukryj1->trigger();
        form.ListBox2->setFocus();
        Hidden(form);
        for (int i = 0; i < 2; ++i) {
            emit form.TrayIcon1->activated(QSystemTrayIcon::Trigger);
            ShownActive(form);
        }
        // A click soon after another reaches the icon as a double click.
        form.Ukryj1->trigger();
        form.ListBox2->setFocus();
        Hidden(form);
        emit form.TrayIcon1->activated(QSystemTrayIcon::DoubleClick);
        ShownActive(form);
    }

    void onlyTheLeftClickShows_data()
    {
        QTest::addColumn<int>("reason");
        QTest::newRow("context menu") << int(QSystemTrayIcon::Context);
        QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick);
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown);
    }

    void onlyTheLeftClickShows()
    {
        QFETCH(int, reason);
        TForm1& form = StartShown(true);
        form.Ukryj1->trigger();
        Hidden(form);
        emit form.TrayIcon1->activated(QSystemTrayIcon::ActivationReason(reason));
        QTest::qWait(20);
        QVERIFY(!form.isVisible());
    }

    void minimiseGoesToTheTrayOnlyWhenThereIsOne_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("with a tray") << true;
        QTest::newRow("without a tray") << false;
    }

    void minimiseGoesToTheTrayOnlyWhenThereIsOne()
    {
        QFETCH(bool, tray);
        TForm1& form = StartShown(tray);
        // As the window manager reports a minimise by the title bar's button.
        form.windowHandle()->showMinimized();
        if (tray) {
            Hidden(form);
            emit form.TrayIcon1->activated(QSystemTrayIcon::Trigger);
            ShownActive(form);
        } else {
            QTest::qWait(50);
            QVERIFY(form.isVisible());
            QVERIFY(form.isMinimized());
            // "Ukryj" cannot hide it either: nothing could bring it back.
            form.Ukryj1->trigger();
            QTest::qWait(50);
            QVERIFY(form.isVisible());
            QVERIFY(form.isMinimized());
        }
    }

    // Qt says nothing when the tray goes away: while hidden the window looks
    // for it on a timer, and shows itself once it is gone.
    void theWindowComesBackWhenTheTrayGoes()
    {
        TForm1& form = StartShown(true);
        auto host = std::make_unique<platform::FixedTrayHost>(true);
        platform::FixedTrayHost& tray = *host;
        form.SetTrayHost(std::move(host));
        QCOMPARE(form.TrayCheck->interval(), 2000);
        form.TrayCheck->setInterval(10);
        QVERIFY(!form.TrayCheck->isActive());  // looked for only while hidden

        form.Ukryj1->trigger();
        Hidden(form);
        QVERIFY(form.TrayCheck->isActive());
        QTest::qWait(50);  // the tray is there: the window stays in it
        QVERIFY(!form.isVisible());

        tray.SetAvailable(false);
        QTRY_VERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_VERIFY(!form.TrayCheck->isActive());
        // Without a tray a minimise leaves the window minimised.
        form.windowHandle()->showMinimized();
        QTest::qWait(50);
        QVERIFY(form.isVisible());

        // The tray is back: the window hides to it again, and comes back
        // from it by a click; shown, nothing is looked for.
        tray.SetAvailable(true);
        form.Poka1->trigger();
        ShownActive(form);
        form.windowHandle()->showMinimized();
        Hidden(form);
        QVERIFY(form.TrayCheck->isActive());
        emit form.TrayIcon1->activated(QSystemTrayIcon::Trigger);
        ShownActive(form);
        QVERIFY(!form.TrayCheck->isActive());
    }

    void restoredBeforeTheNextTurnStaysShown()
    {
        TForm1& form = StartShown(true);
        form.showMinimized();
        form.showNormal();  // before the loop turns: the hide is dropped
        QTest::qWait(50);
        QVERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
    }

    void modalDialogKeepsTheFocusWhenShown()
    {
        TForm1& form = StartShown(true);
        form.Ukryj1->trigger();
        Hidden(form);
        bool dialogActive = false;
        QWidget* focus = nullptr;
        const ModalRun run = WhileOrderDialogOpen(form, [&](TForm4& dialog) {
            form.Poka1->trigger();
            QVERIFY(form.isVisible());
            QVERIFY(!form.isMinimized());
            dialogActive = QTest::qWaitForWindowActive(&dialog);
            focus = QApplication::focusWidget();
            QVERIFY(dialog.isAncestorOf(focus));
        });
        QVERIFY(run.opened);
        QVERIFY(dialogActive);
        QVERIFY(focus != form.ListBox1);
        QVERIFY(!form.Busy);
    }

    // ---- closing

    void everyCloseEndsTheProgramOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("hiddenFirst");
        QTest::newRow("tray menu") << "Zamknij2" << false;
        QTest::newRow("tray menu, hidden") << "Zamknij2" << true;
        QTest::newRow("link list's menu") << "Zamknij1" << false;
        QTest::newRow("toolbar") << "ToolButton16" << false;
        QTest::newRow("close box") << "close box" << false;
    }

    void everyCloseEndsTheProgramOnce()
    {
        QFETCH(QString, how);
        QFETCH(bool, hiddenFirst);
        TForm1& form = StartShown(true);
        form.Timer1->SetEnabled(true);
        form.Timer1->SetInterval(2500);
        if (hiddenFirst) {
            form.Ukryj1->trigger();
            Hidden(form);
        }
        QSignalSpy closed(&form, &TForm1::Closed);
        const auto closeOnce = [&] {
            if (how == "Zamknij2")
                form.Zamknij2->trigger();
            else if (how == "Zamknij1")
                form.Zamknij1->trigger();
            else if (how == "ToolButton16")
                form.ToolButton16->trigger();
            else
                form.windowHandle()->close();
        };
        closeOnce();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form.isVisible());
        const platform::IniFile ini = fx->Settings();
        for (const char* key : kCloseKeys)
            QVERIFY2(ini.ReadString("Opcje", key, "?") != "?", key);
        QCOMPARE(ini.ReadInteger("Opcje", "Monitorowanie", -1), 1);
        QCOMPARE(ini.ReadInteger("Opcje", "CzasMon", -1), 2500);
        QVERIFY(!form.Timer1->Running());

        // A second close while the program ends runs nothing again.
        std::filesystem::remove(fx->SettingsPath());
        form.Zamknij2->trigger();
        form.close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!std::filesystem::exists(fx->SettingsPath()));
    }

    // A window manager that lets a hidden window go puts it back without its
    // frame, at the frame's place or anywhere: closed while hidden, the
    // program saves the outer frame the window had when it was last shown,
    // also after it was shown, moved and hidden again.
    void closeWhileHiddenSavesTheFrameLastShown_data()
    {
        QTest::addColumn<QString>("hide");
        QTest::newRow("minimised by the window manager") << "minimise";
        QTest::newRow("Ukryj") << "Ukryj";
    }

    void closeWhileHiddenSavesTheFrameLastShown()
    {
        QFETCH(QString, hide);
        fx->WriteSettings("[Opcje]\r\nSzer=760\r\nWys=540\r\nPolX=70\r\nPolY=50\r\n");
        TForm1& form = StartShown(true);
        const auto hideAndLetGo = [&](QPoint place) {
            if (hide == "minimise")
                form.windowHandle()->showMinimized();
            else
                form.Ukryj1->trigger();
            Hidden(form);
            form.setGeometry(QRect(place, form.size() - QSize(2, 25)));
        };
        const QRect first = form.frameGeometry();
        QCOMPARE(first.size(), QSize(760, 540));
        hideAndLetGo(first.topLeft() + QPoint(45, 30));
        form.Poka1->trigger();
        ShownActive(form);
        form.move(120, 90);
        form.resize(800, 560);
        QTRY_COMPARE(form.size(), QSize(800, 560));
        const QRect last = form.frameGeometry();
        QVERIFY(last != first);
        hideAndLetGo(QPoint(333, 222));

        form.Zamknij2->trigger();
        const platform::IniFile ini = fx->Settings();
        const QRect saved(ini.ReadInteger("Opcje", "PolX", -1), ini.ReadInteger("Opcje", "PolY", -1),
                          ini.ReadInteger("Opcje", "Szer", -1), ini.ReadInteger("Opcje", "Wys", -1));
        QCOMPARE(saved, last);
    }

    void closeWhileADialogIsOpenCancelsIt()
    {
        TForm1& form = StartShown(true);
        form.Timer1->SetEnabled(true);
        const auto orderBefore = fx->Query("SELECT ID, POS FROM CATEGS ORDER BY ID");
        QSignalSpy closed(&form, &TForm1::Closed);
        bool timerRunningAfter = true;
        const ModalRun run = WhileOrderDialogOpen(form, [&](TForm4& dialog) {
            QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);  // sort by name: a change not saved
            form.Zamknij2->trigger();
            QCOMPARE(closed.count(), 1);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            timerRunningAfter = form.Timer1->Running();
        });
        QVERIFY(run.opened);
        QVERIFY2(!run.leftOpen, "the dialog stayed open while the program ended");
        QVERIFY(!timerRunningAfter);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(fx->Query("SELECT ID, POS FROM CATEGS ORDER BY ID"), orderBefore);
        // The monitor's state as it was when the close began.
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "Monitorowanie", -1), 1);
        QVERIFY(!form.Busy);
    }

    // A question too tall for a short box (deleting thousands of links) is
    // the scrolling box, whose Yes/No has no Escape answer: the close ends
    // it all the same, as cancelled, and the program does not wait for it.
    void closeWhileALongQuestionIsOpenCancelsIt()
    {
        TForm1& form = StartShown(true);
        QString text = QStringLiteral("Czy napewno usunąć link(i) :");
        for (int i = 0; i < 400; ++i)
            text += QStringLiteral("\nhttp://a%1.pl").arg(i);
        QVERIFY(platform::IsLongMessage(text, &form));
        QSignalSpy closed(&form, &TForm1::Closed);
        bool leftOpen = false;
        QTimer::singleShot(0, &form, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            form.Zamknij2->trigger();
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()); box && box->isVisible()) {
                leftOpen = true;
                box->done(QDialog::Rejected);  // so that the test ends
            }
        });
        const int answer = platform::LongMessageBox(&form, text, QStringLiteral("Zapytanie"),
                                                    platform::MbYesNo | platform::MbIconExclamation);
        QVERIFY2(!leftOpen, "the question stayed open while the program ended");
        QCOMPARE(answer, int(platform::IdCancel));
        QCOMPARE(closed.count(), 1);
    }

    // The monitor ticks quickly; the add-links dialog of a tick is open when
    // "Zamknij" is chosen and the clipboard has changed meanwhile.
    void closeWhileTheAddLinksDialogIsOpen()
    {
        TForm1& form = StartShown(true);
        const int linksBefore = LinkCount();
        form.Timer1->SetInterval(10);
        form.SwitchMonitor(true);
        clip->Hold(QStringLiteral("http://a.pl\nhttp://b.pl"));
        QSignalSpy closed(&form, &TForm1::Closed);
        WhenDialogOpens<TForm2> dialogs([&](TForm2& dialog) {
            clip->Hold(QStringLiteral("http://c.pl"));  // the next tick would offer this
            form.Zamknij2->trigger();
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        });
        QTRY_COMPARE(dialogs.Opened(), 1);
        QCOMPARE(closed.count(), 1);
        dialogs.Rearm();
        QTest::qWait(100);  // ten intervals of the monitor
        QCOMPARE(dialogs.Opened(), 1);
        QCOMPARE(LinkCount(), linksBefore);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "Monitorowanie", -1), 1);
        QCOMPARE(fx->Settings().ReadInteger("Opcje", "CzasMon", -1), 10);
        QVERIFY(!form.Busy);
    }

    void showWhileTheAddLinksDialogIsOpen()
    {
        TForm1& form = StartShown(true);
        form.Ukryj1->trigger();
        Hidden(form);
        bool dialogActive = false;
        const ModalRun run = WhileAddLinksDialogOpen(form, [&](TForm2& dialog) {
            QVERIFY(!form.isVisible());  // the import does not bring the window back
            form.Poka1->trigger();
            QVERIFY(form.isVisible());
            dialogActive = QTest::qWaitForWindowActive(&dialog);
            QVERIFY(dialog.isAncestorOf(QApplication::focusWidget()));
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        });
        QVERIFY(run.opened);
        QVERIFY(!run.leftOpen);
        QVERIFY(dialogActive);
        QVERIFY(form.isVisible());
    }

    void theMonitorOffersLinksWhileHidden()
    {
        TForm1& form = StartShown(true);
        form.Ukryj1->trigger();
        Hidden(form);
        const int linksBefore = LinkCount();
        QSignalSpy closed(&form, &TForm1::Closed);
        form.Timer1->SetInterval(10);
        form.SwitchMonitor(true);
        clip->Hold(QStringLiteral("http://ukryty.pl/1\nhttp://ukryty.pl/2"));
        bool mainHiddenMeanwhile = false;
        WhenDialogOpens<TForm2> dialogs([&](TForm2& dialog) {
            mainHiddenMeanwhile = !form.isVisible();
            QCOMPARE(dialog.CheckListBox1->Count(), 2);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);  // "Dodaj linki"
        });
        QTRY_COMPARE(dialogs.Opened(), 1);
        QVERIFY(mainHiddenMeanwhile);
        QCOMPARE(LinkCount(), linksBefore + 2);
        // The dialog has closed: the program runs on, hidden, the monitor on.
        QTest::qWait(50);
        QCOMPARE(closed.count(), 0);
        QVERIFY(!form.isVisible());
        QVERIFY(form.Timer1->Running());
        QVERIFY(form.TrayIcon1->isVisible());
        QVERIFY(!form.Busy);
        emit form.TrayIcon1->activated(QSystemTrayIcon::Trigger);
        ShownActive(form);
    }
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
