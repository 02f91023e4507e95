// The about box: its title line, the two contact labels through the main
// window's opener, the clicks that close it and the keys that do not.
#include <QAction>
#include <QEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QtTest>

#include "tests/window/WindowFixture.h"
#include "window/dialogs/AboutBox.h"

namespace {

const QString kMailTarget = QStringLiteral("mailto:autor@example.org?subject=Quomira%20-%20uwagi%20u%C5%BCytkownika");
const QString kWebTarget = QStringLiteral("http://www.example.org/quomira/");

void Enter(QLabel* label)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), label->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(label, &event);
}

void Leave(QLabel* label)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(label, &event);
}

bool Underlined(const QLabel* label)
{
    const QFont font = label->font();
    return font.underline() && !font.bold() && !font.italic() && !font.strikeOut();
}

bool NoStyle(const QLabel* label)
{
    const QFont font = label->font();
    return !font.underline() && !font.bold() && !font.italic() && !font.strikeOut();
}

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    platform::RecordingOpener* opened = nullptr;

    TForm1& Start()
    {
        TForm1& form = fx->Start();
        opened = &fx->RecordOpens();
        return form;
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void showsTheVersionAndTheProgramsOwnTexts()
    {
        TForm1& form = Start();
        form.Version = "9.8.7-test";
        const ModalRun run = RunModal<TForm6>([&form] { form.ToolButton14->trigger(); },
                                              [](TForm6& box) {
                                                  QCOMPARE(box.Label1->text(), QStringLiteral("Quomira v9.8.7-test"));
                                                  QVERIFY(box.Label1->width() >=
                                                          box.Label1->sizeHint().width());  // the whole line shows
                                                  QCOMPARE(box.Label2->text(), QStringLiteral("Autor programu :"));
                                                  QCOMPARE(box.Label3->text(), QString::fromUtf8(about::kAuthor));
                                                  QCOMPARE(box.Label4->text(), QStringLiteral("autor@example.org"));
                                                  QCOMPARE(box.Label7->text(), QStringLiteral("Opis programu :"));
                                                  QCOMPARE(box.Label5->text(), kWebTarget);
                                                  QCOMPARE(box.Label6->text(), QString::fromUtf8(about::kNotice));
                                                  QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
                                                  QCOMPARE(box.size(), QSize(372, 224));
                                                  QCOMPARE(box.windowTitle(), QStringLiteral("o programie"));
                                                  QCOMPARE(box.Panel1->geometry(), box.rect());
                                                  QCOMPARE(box.Label1->font().pixelSize(), 19);
                                                  QVERIFY(box.Label1->font().bold());
                                                  QCOMPARE(box.Label4->cursor().shape(), Qt::PointingHandCursor);
                                              });
        QVERIFY(run.opened);
        QVERIFY(run.leftOpen);
    }

    void contactLabelsOpenThroughTheOpenerAndLeaveTheBoxOpen_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("target");
        QTest::newRow("e-mail") << "Label4" << kMailTarget;
        QTest::newRow("web page") << "Label5" << kWebTarget;
    }

    void contactLabelsOpenThroughTheOpenerAndLeaveTheBoxOpen()
    {
        QFETCH(QString, label);
        QFETCH(QString, target);
        TForm1& form = Start();
        bool openAfterClick = false;
        const ModalRun run =
            RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                             [&](TForm6& box) {
                                 QTest::mouseClick(label == "Label4" ? box.Label4 : box.Label5, Qt::LeftButton);
                                 openAfterClick = box.isVisible();
                             });
        QVERIFY(run.opened);
        QVERIFY(openAfterClick);
        QCOMPARE(opened->Opened(), QStringList{target});
    }

    // A contact that cannot be opened is said as the main window says it: on
    // the box while it is open, on the main window once it has closed.
    void aContactThatCannotBeOpenedIsSaid_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("owner");
        QTest::newRow("the opener cannot be started") << "cannot start"
                                                      << "TForm6";
        QTest::newRow("the opener fails later") << "fails later"
                                                << "TForm6";
        QTest::newRow("it fails after the box closed") << "fails after closing"
                                                       << "TForm1";
    }
    void aContactThatCannotBeOpenedIsSaid()
    {
        QFETCH(QString, how);
        QFETCH(QString, owner);
        TForm1& form = Start();
        opened->SetCannotStart(how == "cannot start");
        RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                         [&](TForm6& box) {
                             QTest::mouseClick(box.Label5, Qt::LeftButton);
                             if (how == "fails later") {
                                 opened->FailLater(0);
                                 QVERIFY(fx->WaitForABox());
                             }
                         });
        if (how == "fails after closing")
            opened->FailLater(0);
        QVERIFY(fx->WaitForABox());
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].Describe(),
                 "MessageBox 'Nie można otworzyć linku :\n" + kWebTarget + "' / 'Ostrzeżenie' flags 0x30");
        QCOMPARE(asked[0].owner, owner);
    }

    void aClickElsewhereClosesTheBox_data()
    {
        QTest::addColumn<QString>("where");
        for (const char* where : {"Label1", "Label2", "Label3", "Label6", "Label7", "Panel1"})
            QTest::newRow(where) << where;
    }

    void aClickElsewhereClosesTheBox()
    {
        QFETCH(QString, where);
        TForm1& form = Start();
        const ModalRun run =
            RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                             [&](TForm6& box) {
                                 const std::map<QString, QWidget*> targets = {
                                     {"Label1", box.Label1}, {"Label2", box.Label2}, {"Label3", box.Label3},
                                     {"Label6", box.Label6}, {"Label7", box.Label7}, {"Panel1", box.Panel1}};
                                 QWidget* target = targets.at(where);
                                 // The empty area of the panel, right of the labels.
                                 const QPoint at = target == box.Panel1 ? QPoint(360, 212) : target->rect().center();
                                 QTest::mouseClick(target, Qt::LeftButton, {}, at);
                             });
        QVERIFY(run.opened);
        QVERIFY(!run.leftOpen);
        QVERIFY(opened->Opened().isEmpty());
    }

    void hoveringUnderlinesAContactLabel()
    {
        TForm1& form = Start();
        const ModalRun run = RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                                              [](TForm6& box) {
                                                  for (QLabel* label : {box.Label4, box.Label5}) {
                                                      QVERIFY(NoStyle(label));
                                                      Enter(label);
                                                      QVERIFY(Underlined(label));
                                                      Leave(label);
                                                      QVERIFY(NoStyle(label));
                                                      Enter(label);
                                                      QTest::mouseClick(label, Qt::LeftButton);
                                                      QVERIFY(Underlined(label));
                                                      Leave(label);
                                                      QVERIFY(NoStyle(label));
                                                  }
                                                  // Other labels keep their style.
                                                  Enter(box.Label3);
                                                  QVERIFY(NoStyle(box.Label3));
                                              });
        QVERIFY(run.opened);
        QCOMPARE(opened->Opened(), (QStringList{kMailTarget, kWebTarget}));
    }

    void noKeyClosesTheBox()
    {
        TForm1& form = Start();
        const ModalRun run =
            RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                             [](TForm6& box) {
                                 for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
                                     QTest::keyClick(&box, key);
                                 QVERIFY(box.isVisible());
                             });
        QVERIFY(run.opened);
        QVERIFY(run.leftOpen);
    }

    void theFlagIsRaisedWhileTheBoxShows()
    {
        TForm1& form = Start();
        bool busyWhileShown = false;
        const ModalRun run = RunModal<TForm6>([&form] { form.Oprogramie1->trigger(); },
                                              [&](TForm6& box) {
                                                  busyWhileShown = form.Busy;
                                                  QTest::mouseClick(box.Label1, Qt::LeftButton);
                                              });
        QVERIFY(run.opened);
        QVERIFY(busyWhileShown);
        QVERIFY(!form.Busy);
    }
};

QTEST_MAIN(AboutBoxTest)
#include "AboutBoxTest.moc"
