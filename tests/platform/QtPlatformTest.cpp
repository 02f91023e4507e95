// The Qt side of the platform layer: file filters, the real and the
// scripted boxes, Qt's own texts in Polish, the handler guard, the timer, the
// image list, the store's message hooks.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

#include <stdexcept>

#include "platform/HandlerGuard.h"
#include "platform/ImageList.h"
#include "platform/MessageHooks.h"
#include "platform/Messages.h"
#include "platform/QtBoxes.h"
#include "platform/QtTexts.h"
#include "platform/Timer.h"
#include "platform/testing/ScriptedBoxes.h"
#include "tests/EnvGuard.h"

using namespace platform;

namespace {

// Runs action on the modal dialog once it is shown.
void OnModal(std::function<void(QWidget*)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

void ClickButton(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) {
            button->click();
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no button '%1'").arg(text)));
}

QStringList ButtonTexts(QWidget* dialog)
{
    QStringList texts;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        texts << button->text();
    texts.sort();
    return texts;
}

QStringList LabelTexts(QWidget* dialog)
{
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
            texts << label->text();
    texts.sort();
    return texts;
}

QStringList ColumnTitles(const QTreeView& view)
{
    QStringList titles;
    for (int column = 0; column < view.header()->count(); ++column)
        titles << view.model()->headerData(column, Qt::Horizontal).toString();
    return titles;
}

// Empty when every column of the file dialog's detail view shows its title
// and its cells uncut and the four columns fit the view side by side;
// otherwise what does not fit.
QString UncutColumns(const QTreeView& view)
{
    const QHeaderView& header = *view.header();
    QString cut;
    int total = 0;
    for (int column = 0; column < header.count(); ++column) {
        const int cells = static_cast<const QAbstractItemView&>(view).sizeHintForColumn(column);
        const int needed = std::max(cells, header.sectionSizeHint(column));
        total += header.sectionSize(column);
        if (column > 0 && needed > header.sectionSize(column))
            cut +=
                QStringLiteral("column %1 needs %2, has %3; ").arg(column).arg(needed).arg(header.sectionSize(column));
    }
    if (total > view.viewport()->width())
        cut += QStringLiteral("the columns take %1 of %2").arg(total).arg(view.viewport()->width());
    return cut;
}

}  // namespace

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quomira"));
        // Qt's file dialogs keep their history and column widths in the
        // user's configuration: here in a folder of the test's own.
        configHome_ = std::make_unique<EnvGuard>("XDG_CONFIG_HOME", configDir_.path().toStdString());
    }

    void fileFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("plain") << "A|*.txt|B|*.*"
                               << "A (*.txt);;B (*)";
        QTest::newRow("text export") << "Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"
                                     << "Pliki tekstowe (*.txt);;Wszystkie pliki (*)";
        QTest::newRow("html export") << "Pliki HTML (*.htm,*.html)|*.htm;*.html|Wszystkie pliki (*.*)|*.*"
                                     << "Pliki HTML (*.htm *.html);;Wszystkie pliki (*)";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fileFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(QtFileFilter(filter), qt);
    }

    void messageBoxButtonsAndResults_data()
    {
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("click");
        QTest::addColumn<int>("result");
        QTest::newRow("yes/no: Tak") << 0x24u << QStringList{"Nie", "Tak"} << "Tak" << 6;
        QTest::newRow("yes/no: Nie") << 0x24u << QStringList{"Nie", "Tak"} << "Nie" << 7;
        QTest::newRow("yes/no/cancel: Anuluj") << 0x23u << QStringList{"Anuluj", "Nie", "Tak"} << "Anuluj" << 2;
        QTest::newRow("ok") << 0x30u << QStringList{"OK"} << "OK" << 1;
        QTest::newRow("ok/cancel: Anuluj") << 0x1u << QStringList{"Anuluj", "OK"} << "Anuluj" << 2;
    }

    void messageBoxButtonsAndResults()
    {
        QFETCH(unsigned, flags);
        QFETCH(QStringList, buttons);
        QFETCH(QString, click);
        QFETCH(int, result);
        QtBoxes boxes;
        QStringList shown;
        QString caption, text;
        OnModal([&](QWidget* dialog) {
            shown = ButtonTexts(dialog);
            caption = dialog->windowTitle();
            text = static_cast<QMessageBox*>(dialog)->text();
            ClickButton(dialog, click);
        });
        QCOMPARE(boxes.MessageBox(nullptr, "Usunąć?", "Zapytanie", flags), result);
        QCOMPARE(shown, buttons);
        QCOMPARE(caption, QStringLiteral("Zapytanie"));
        QCOMPARE(text, QStringLiteral("Usunąć?"));
    }

    void escapeOnAMessageBox()
    {
        QtBoxes boxes;
        OnModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(boxes.MessageBox(nullptr, "t", "c", MbYesNoCancel), int(IdCancel));
    }

    // Enter on a focused button answers with that button, not the default.
    void enterOnAFocusedButtonAnswersWithIt()
    {
        QtBoxes boxes;
        OnModal([](QWidget* dialog) {
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text() == "Nie") {
                    button->setFocus();
                    QTest::keyClick(button, Qt::Key_Return);
                }
        });
        QCOMPARE(boxes.MessageBox(nullptr, "Usunąć?", "Zapytanie", MbYesNo | MbIconExclamation), int(IdNo));
    }

    // The delete question for 10,000 links: the text scrolls inside the box,
    // the box fits the screen with its buttons, and the buttons, the default
    // and the keys are those of a short box.
    void longMessageScrollsAndKeepsItsButtons_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter: the default Tak") << "enter" << int(IdYes);
        QTest::newRow("click Nie") << "click Nie" << int(IdNo);
        QTest::newRow("Enter on a focused Nie") << "enter on Nie" << int(IdNo);
        QTest::newRow("Escape does nothing on Yes/No") << "escape, then Nie" << int(IdNo);
    }
    void longMessageScrollsAndKeepsItsButtons()
    {
        QFETCH(QString, action);
        QFETCH(int, result);
        QString text = QStringLiteral("Czy napewno usunąć link(i) :");
        for (int i = 0; i < 10000; ++i)
            text += QStringLiteral("\nhttp://example.com/%1").arg(i);
        QVERIFY(IsLongMessage(text));
        QVERIFY(!IsLongMessage(QStringLiteral("Czy napewno usunąć link(i) :\nhttp://a.pl")));

        QtBoxes boxes;
        QStringList shown;
        QString caption;
        bool fits = false, scrolls = false;
        OnModal([&](QWidget* dialog) {
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            shown = ButtonTexts(dialog);
            caption = dialog->windowTitle();
            const QRect screen = dialog->screen()->availableGeometry();
            fits = dialog->frameGeometry().height() <= screen.height();
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
                fits = fits && button->isVisible() && screen.contains(place);
            }
            auto* pane = dialog->findChild<QPlainTextEdit*>();
            scrolls = pane && pane->verticalScrollBar()->maximum() > 0 && pane->toPlainText() == text;
            if (action == "enter")
                QTest::keyClick(dialog, Qt::Key_Return);
            else if (action == "click Nie")
                ClickButton(dialog, "Nie");
            else if (action == "enter on Nie") {
                for (QPushButton* button : dialog->findChildren<QPushButton*>())
                    if (button->text() == "Nie") {
                        button->setFocus();
                        QTest::keyClick(button, Qt::Key_Return);
                    }
            } else {
                QTest::keyClick(dialog, Qt::Key_Escape);
                QVERIFY(dialog->isVisible());
                ClickButton(dialog, "Nie");
            }
        });
        QCOMPARE(boxes.MessageBox(nullptr, text, "Zapytanie", MbYesNo | MbIconExclamation), result);
        QCOMPARE(shown, (QStringList{"Nie", "Tak"}));
        QCOMPARE(caption, QStringLiteral("Zapytanie"));
        QVERIFY2(fits, "the box or a button is off the screen");
        QVERIFY2(scrolls, "the text does not scroll inside the box");
    }

    void longMessageEscapeAnswersWhereAShortBoxDoes()
    {
        QtBoxes boxes;
        const QString text = QString(QStringLiteral("wiersz\n")).repeated(5000);
        OnModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(boxes.MessageBox(nullptr, text, "c", MbYesNoCancel), int(IdCancel));
        OnModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(boxes.MessageBox(nullptr, text, "c", MbOk), int(IdOk));
    }

    void errorBoxHasTheApplicationTitleAndAStopIcon()
    {
        QtBoxes boxes;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption;
        OnModal([&](QWidget* dialog) {
            icon = static_cast<QMessageBox*>(dialog)->icon();
            caption = dialog->windowTitle();
            ClickButton(dialog, "OK");
        });
        boxes.ShowException("Unable to write to /x");
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(caption, QStringLiteral("Quomira"));
    }

    // A pasted address is taken whole, however long: 300 characters are
    // common, and beyond QLineEdit's own default limit of 32767 too.
    void inputBoxTakesALongPastedAddress_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("300") << 300;
        QTest::newRow("40000") << 40000;
    }
    void inputBoxTakesALongPastedAddress()
    {
        QFETCH(int, length);
        const QString address = QStringLiteral("http://example.com/?q=") + QString(length - 22, u'x');
        QApplication::clipboard()->setText(address);
        QtBoxes boxes;
        OnModal([](QWidget* dialog) {
            QLineEdit* edit = dialog->findChild<QLineEdit*>();
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            ClickButton(dialog, "OK");
        });
        QCOMPARE(boxes.InputBox("Treść linku", "Proszę podać treść linku : ", ""), address);
    }

    void inputBoxKeepsALongDefaultAndWhatIsTypedAfterIt()
    {
        QtBoxes boxes;
        const QString longText(400, u'y');
        OnModal([](QWidget* dialog) {
            QLineEdit* edit = dialog->findChild<QLineEdit*>();
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClicks(edit, "zz");
            ClickButton(dialog, "OK");
        });
        QCOMPARE(boxes.InputBox("c", "p", longText), longText + "zz");
        OnModal([](QWidget* dialog) { ClickButton(dialog, "OK"); });
        QCOMPARE(boxes.InputBox("c", "p", longText), longText);
    }

    void inputBoxGivesTheDefaultOnCancel()
    {
        QtBoxes boxes;
        OnModal([](QWidget* dialog) {
            QTest::keyClicks(dialog->findChild<QLineEdit*>(), "zmiana");
            ClickButton(dialog, "Anuluj");
        });
        QCOMPARE(boxes.InputBox("c", "p", "stary"), QStringLiteral("stary"));
    }

    void scriptedBoxesAnswerInOrderAndRecord()
    {
        ScriptedBoxes boxes;
        boxes.Script(BoxAnswer::Button(IdYes));
        boxes.Script(BoxAnswer::Text("http://a.pl"));
        boxes.Script(BoxAnswer::Cancel());
        QCOMPARE(boxes.MessageBox(nullptr, "Usunąć?", "Zapytanie", 0x24), int(IdYes));
        QCOMPARE(boxes.InputBox("Treść linku", "Proszę podać treść linku : ", "d"), QStringLiteral("http://a.pl"));
        QCOMPARE(boxes.InputBox("c", "p", "d"), QStringLiteral("d"));
        QCOMPARE(boxes.MessageBox(nullptr, "Gotowe", "Informacja", 0x40), int(IdOk));  // no answer needed
        boxes.ShowMessage("komunikat");
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(5));
        QCOMPARE(asked[0].Describe(), QStringLiteral("MessageBox 'Usunąć?' / 'Zapytanie' flags 0x24"));
        QCOMPARE(asked[1].caption, QStringLiteral("Treść linku"));
        QCOMPARE(asked[1].value, QStringLiteral("d"));
        QCOMPARE(asked[4].kind, BoxKind::ShowMessage);
        QCOMPARE(asked[4].caption, QStringLiteral("Quomira"));
        QVERIFY(boxes.TakeUnscripted().empty());
        QCOMPARE(boxes.PendingAnswers(), size_t(0));
    }

    void scriptedBoxesReportAnUnscriptedQuestion()
    {
        ScriptedBoxes boxes;
        QTest::ignoreMessage(QtWarningMsg, "Unscripted question: MessageBox 'Usunąć?' / 'Zapytanie' flags 0x24");
        QCOMPARE(boxes.MessageBox(nullptr, "Usunąć?", "Zapytanie", 0x24), int(IdNo));
        boxes.Script(BoxAnswer::Button(IdYes));  // the wrong kind for an input box
        QTest::ignoreMessage(QtWarningMsg, "Unscripted question: InputBox 'p' / 'c' flags 0x0 value 'd'");
        QCOMPARE(boxes.InputBox("c", "p", "d"), QStringLiteral("d"));
        QCOMPARE(boxes.TakeUnscripted().size(), size_t(2));
        QCOMPARE(boxes.PendingAnswers(), size_t(1));
    }

    void guardShowsTheExceptionAndLowersBusy()
    {
        ScriptedBoxes boxes;
        bool busy = false;
        RunGuarded(boxes, [&] {
            BusyGuard guard(busy);
            QVERIFY(busy);
            throw std::runtime_error("Nie mo\xbfna");  // Windows-1250 bytes
        });
        QCOMPARE(busy, false);
        RunGuarded(boxes, [] { throw 42; });
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(2));
        QCOMPARE(asked[0].kind, BoxKind::ShowException);
        QCOMPARE(asked[0].text, QStringLiteral("Nie można"));
        QCOMPARE(asked[0].caption, QStringLiteral("Quomira"));
        QCOMPARE(asked[1].text, QString());
    }

    // A handler run from inside another (a dialog's command reloading the
    // main window's lists) leaves the flag as the outer handler holds it:
    // raised until the outer one ends.
    void nestedBusyGuardLeavesTheOuterOneRaised()
    {
        bool busy = false;
        {
            BusyGuard outer(busy);
            {
                BusyGuard inner(busy);
                QVERIFY(busy);
            }
            QVERIFY(busy);
        }
        QVERIFY(!busy);
    }

    void busyGuardCanKeepTheFlagRaised()
    {
        bool busy = false;
        {
            BusyGuard guard(busy);
            guard.KeepRaised();
        }
        QVERIFY(busy);
    }

    void timerRunsOnlyWhenEnabledWithAPositiveInterval()
    {
        Timer timer;
        QSignalSpy ticks(&timer, &Timer::Tick);
        timer.SetInterval(0);
        timer.SetEnabled(true);
        QVERIFY(timer.Enabled());
        QVERIFY(!timer.Running());
        QTest::qWait(30);
        QCOMPARE(ticks.count(), 0);
        timer.SetInterval(5);
        QVERIFY(timer.Running());
        QTRY_VERIFY(ticks.count() > 0);
        timer.SetEnabled(false);
        QVERIFY(!timer.Running());
        timer.SetInterval(-1);
        timer.SetEnabled(true);
        QVERIFY(!timer.Running());
    }

    void imageListDrawsByIndex()
    {
        ImageList images;
        QPixmap red(16, 16);
        red.fill(Qt::red);
        QPixmap big(32, 32);
        big.fill(Qt::blue);
        images.Add(red);
        images.Add(big);
        QCOMPARE(images.Count(), 2);
        QCOMPARE(images.Image(1).size(), QSize(16, 16));
        QImage canvas(40, 20, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        images.Draw(painter, 2, 1, 0);
        images.Draw(painter, 20, 1, 7);  // no such image: nothing drawn
        painter.end();
        QCOMPARE(canvas.pixelColor(2, 1), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(17, 16), QColor(Qt::red));
        QCOMPARE(canvas.pixelColor(18, 1), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(25, 5), QColor(Qt::white));
        QVERIFY(images.Icon(5).isNull());
    }

    // The dialogs Qt draws itself read Polish whatever the user's locale, as
    // the program's own boxes do.
    void qtDialogsArePolish_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QStringList>("labels");
        const QStringList fileLabels{QStringLiteral("Nazwa &pliku:"), QStringLiteral("Pliki rodzaju:"),
                                     QStringLiteral("Szukaj w:")};
        QTest::newRow("open") << QStringLiteral("open") << QStringLiteral("Otwórz")
                              << QStringList{QStringLiteral("&Otwórz"), QStringLiteral("Anuluj")} << fileLabels;
        QTest::newRow("save") << QStringLiteral("save") << QStringLiteral("Zachowaj jako")
                              << QStringList{QStringLiteral("&Zachowaj"), QStringLiteral("Anuluj")} << fileLabels;
        QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("Wybierz katalog")
                                << QStringList{QStringLiteral("&Wybierz"), QStringLiteral("Anuluj")}
                                << QStringList{QStringLiteral("Katalog:"), QStringLiteral("Pliki rodzaju:"),
                                               QStringLiteral("Szukaj w:")};
    }

    void qtDialogsArePolish()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, title);
        QFETCH(QStringList, buttons);
        QFETCH(QStringList, labels);
        QTranslator translator;
        QVERIFY(InstallPolishQtTexts(translator));
        QTemporaryDir dir;
        QString shownTitle;
        QStringList shownButtons;
        QStringList shownLabels;
        QStringList columns;
        OnModal([&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowExposed(modal));
            shownTitle = modal->windowTitle();
            shownButtons = ButtonTexts(modal);
            shownLabels = LabelTexts(modal);
            if (auto* view = modal->findChild<QTreeView*>())
                columns = ColumnTitles(*view);
            ClickButton(modal, QStringLiteral("Anuluj"));
        });
        QtBoxes boxes;
        QString path = dir.path();
        const FileDialogRequest request{{}, QStringLiteral("Pliki tekstowe (*.txt)|*.txt"), 1, {}, dir.path()};
        const bool chosen = dialog == u"open" ? boxes.OpenFile(nullptr, request, path)
            : dialog == u"save"               ? boxes.SaveFile(nullptr, request, path)
                                              : boxes.SelectDirectory(nullptr, title, path);
        QVERIFY(!chosen);
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownButtons, buttons);
        QCOMPARE(shownLabels, labels);
        QCOMPARE(columns,
                 (QStringList{QStringLiteral("Nazwa"), QStringLiteral("Rozmiar"), QStringLiteral("Rodzaj"),
                              QStringLiteral("Data modyfikacji")}));
    }

    // Cut, copy and paste of every edit, the program's own boxes included.
    void editContextMenuIsPolish()
    {
        QTranslator translator;
        QVERIFY(InstallPolishQtTexts(translator));
        QLineEdit edit;
        const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(u'\t', 0, 0);
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("&Cofnij"), QStringLiteral("&Przywróć"), QStringLiteral("W&ytnij"),
                              QStringLiteral("S&kopiuj"), QStringLiteral("&Wklej"), QStringLiteral("Usuń"),
                              QStringLiteral("Zaznacz wszystko")}));
    }

    // A file's size ("553 bajty"), its type and its date show uncut, and
    // the name column keeps its room beside them.
    void fileDialogShowsItsColumnsUncut()
    {
        QTranslator translator;
        QVERIFY(InstallPolishQtTexts(translator));
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("linki z pracy.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(QByteArray(553, 'x')), qint64(553));
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("archiwum")));
        QString cut = QStringLiteral("no dialog");
        OnModal([&](QWidget* modal) {
            if (auto* view = modal->findChild<QTreeView*>()) {
                cut.clear();
                if (QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == 2; }))
                    (void)QTest::qWaitFor([&] { return UncutColumns(*view).isEmpty(); });
                else
                    cut = QStringLiteral("the folder's two entries were not listed");
                if (cut.isEmpty())
                    cut = UncutColumns(*view);
            }
            ClickButton(modal, QStringLiteral("Anuluj"));
        });
        QtBoxes boxes;
        QString path;
        QVERIFY(!boxes.OpenFile(nullptr, {{}, QStringLiteral("Wszystkie pliki (*.*)|*.*"), 1, {}, dir.path()}, path));
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }

    void messageHooksReachTheBoxesWhileInstalled()
    {
        ScriptedBoxes boxes;
        {
            MessageHooks hooks(boxes);
            platform::ShowMessage("no such table: LINKS \xb3");
            platform::ProcessMessages();
        }
        const auto asked = boxes.TakeAsked();
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::ShowMessage);
        QCOMPARE(asked[0].text, QStringLiteral("no such table: LINKS ł"));
        platform::ShowMessage("after");  // the hook is gone: standard error
        QVERIFY(boxes.TakeAsked().empty());
    }

private:
    QTemporaryDir configDir_;
    std::unique_ptr<EnvGuard> configHome_;
};

QTEST_MAIN(QtPlatformTest)
#include "QtPlatformTest.moc"
