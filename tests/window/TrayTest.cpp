// The tray: its menu and the enabling rule, hiding to the tray and showing
// from it, minimising with and without a tray, and the close commands, also
// while a modal dialog of the program is open. The desktop's tray is the test
// host's: present or absent as each test sets it.
#include <filesystem>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QWindow>
#include <QtTest>

#include "CategoryOrderDialog.h"
#include "Tray.h"
#include "WindowFixture.h"

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

class TrayTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

    // Starts the window on a desktop with or without a tray, shown and active.
    TForm1& StartShown(bool tray)
    {
        TForm1& form = fx->Start();
        form.SetTrayHost(std::make_unique<platform::FixedTrayHost>(tray));
        [&] { QVERIFY(ShowAndWait(form)); }();
        return form;
    }

    // Runs act while the category order dialog (a modal dialog that raises
    // Busy) is open; the dialog is cancelled afterwards if act left it open.
    static ModalRun WhileOrderDialogOpen(TForm1& form, const std::function<void(TForm4&)>& act)
    {
        return RunModal<TForm4>([&form] { form.Kolejno1->trigger(); }, act);
    }

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
    void cleanup()
    {
        VERIFY_BOXES_DONE(*fx);
        fx.reset();
    }

    // ---- the icon and its menu

    void iconHintAndMenu()
    {
        TForm1& form = fx->Start();
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
        QTest::addColumn<bool>("dialogOpen");
        QTest::addColumn<bool>("monitorOn");
        QTest::newRow("idle, monitor off") << false << false;
        QTest::newRow("idle, monitor on") << false << true;
        QTest::newRow("order dialog open, monitor on") << true << true;
        QTest::newRow("order dialog open, monitor off") << true << false;
    }

    void menuOpeningFollowsBusyAndTheMonitor()
    {
        QFETCH(bool, dialogOpen);
        QFETCH(bool, monitorOn);
        TForm1& form = fx->Start();
        form.Timer1->SetEnabled(monitorOn);
        // Start from the opposite of what the opening must show.
        form.Monitorowanieschowka1->setChecked(!monitorOn);
        for (QAction* item : {form.Dodajnowylink2, form.Dodajlinkizeschowka1, form.Dodajlinkizpliku2})
            item->setEnabled(dialogOpen);

        const auto openMenu = [&form, monitorOn](bool busy) {
            form.PopupMenu2->popup(QPoint(10, 10));
            QCOMPARE(form.Monitorowanieschowka1->isChecked(), monitorOn);
            for (QAction* item : {form.Dodajnowylink2, form.Dodajlinkizeschowka1, form.Dodajlinkizpliku2})
                QCOMPARE(item->isEnabled(), !busy);
            for (QAction* item : {form.Monitorowanieschowka1, form.Poka1, form.Ukryj1, form.Zamknij2})
                QVERIFY(item->isEnabled());
            form.PopupMenu2->hide();
        };
        if (dialogOpen) {
            const ModalRun run = WhileOrderDialogOpen(form, [&](TForm4&) { openMenu(true); });
            QVERIFY(run.opened);
            // Open again once the dialog has gone: the add items come back.
            openMenu(false);
        } else {
            openMenu(false);
        }
    }

    // ---- a tray add command chosen while Busy is raised

    void trayAddCommandWhileBusyAsksNothing()
    {
        TForm1& form = fx->Start();
        bool busyAfter = false;
        const ModalRun run = WhileOrderDialogOpen(form, [&](TForm4&) {
            // The tray host showed the menu without letting the program
            // prepare it: the item is still enabled.
            QVERIFY(form.Dodajnowylink2->isEnabled());
            form.Dodajnowylink2->trigger();
            busyAfter = form.Busy;
        });
        QVERIFY(run.opened);
        QVERIFY2(busyAfter, "the tray command lowered the flag under the order dialog");
        QVERIFY(!form.Busy);
        QVERIFY(fx->boxes.TakeAsked().empty());

        // Once nothing runs, the same item asks for the link.
        fx->boxes.Script(BoxAnswer::Text(QString()));
        form.Dodajnowylink2->trigger();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::InputBox);
        QCOMPARE(asked[0].caption, QStringLiteral("Treść linku"));
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
};

QTEST_MAIN(TrayTest)
#include "TrayTest.moc"
