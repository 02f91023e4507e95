// Links from the clipboard, from files and from the clipboard monitor: the
// filter, the last import, the add-links dialog and what it stores, the busy
// flag, the monitor's switches and the text-file rule, checked against the
// dialog shown, the lists, the boxes asked and the rows of the catalogue file.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "platform/testing/TestClipboard.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/widgets/CheckListBox.h"

using platform::BoxAnswer;
using platform::BoxKind;
using Strings = std::vector<std::string>;

namespace {

// What the dialog offered when it opened.
struct Offer {
    Strings candidates;
    std::vector<bool> checked;
    Strings comboNames;  // UTF-8
    int comboIndex = -1;
};

Offer ReadOffer(TForm2& dialog)
{
    Offer offer;
    for (int row = 0; row < dialog.CheckListBox1->Count(); ++row) {
        offer.candidates.push_back(dialog.CheckListBox1->Item(row));
        offer.checked.push_back(dialog.CheckListBox1->GetChecked(row));
    }
    for (int row = 0; row < dialog.ComboBox1->count(); ++row)
        offer.comboNames.push_back(dialog.ComboBox1->itemText(row).toStdString());
    offer.comboIndex = dialog.ComboBox1->currentIndex();
    return offer;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

class ImportTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    platform::TestClipboard* clip = nullptr;
    int dom = 0, praca = 0;

    // Starts the window with a test clipboard on the category row given
    // (-1: none chosen).
    TForm1& StartOn(int categoryRow)
    {
        TForm1& form = fx->Start();
        auto clipboard = std::make_unique<platform::TestClipboard>();
        clip = clipboard.get();
        form.SetClipboard(std::move(clipboard));
        ChooseCategory(form, categoryRow);
        return form;
    }

    // Runs command; when the add-links dialog opens, its offer is read and
    // act gets it. Answers whether the dialog opened.
    static bool RunImport(const std::function<void()>& command, const std::function<void(TForm2&)>& act = {},
                          Offer* offer = nullptr)
    {
        const ModalRun run = RunModal<TForm2>(command, [&](TForm2& dialog) {
            if (offer)
                *offer = ReadOffer(dialog);
            if (act)
                act(dialog);
        });
        return run.opened;
    }

    static std::function<void(TForm2&)> AddTo(int comboRow)
    {
        return [comboRow](TForm2& dialog) {
            dialog.ComboBox1->setCurrentIndex(comboRow);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
        };
    }

    static std::function<void(TForm2&)> Cancel()
    {
        return [](TForm2& dialog) { QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton); };
    }

    // The stored link texts of a category in position order.
    Strings StoredLinks(int catId)
    {
        Strings links;
        for (const auto& row :
             fx->Query("SELECT LINK FROM LINKS WHERE CAT_ID = " + std::to_string(catId) + " ORDER BY POS, ID"))
            links.push_back(row[0]);
        return links;
    }

    int LinkCount() { return std::stoi(fx->Query("SELECT COUNT(*) FROM LINKS").front().front()); }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        dom = fx->AddCategory("Dom");
        praca = fx->AddCategory("Praca");
        fx->AddLink(dom, "http://d1.pl", "Pierwszy");
        fx->AddLink(dom, "http://d2.pl", "Drugi");
        fx->AddLink(praca, "http://p1.pl", "");
    }
    void cleanup() { EndFixture(fx); }

    // ---- the filter

    void offersTheLinesThatLookLikeLinks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("blanks, empty, ftp, capitals, parenthesis, ed2k")
            << "  http://a.pl\n\nftp://b.pl\nWWW.c.pl\n(www.d.pl\ned2k://e"
            << QStringList{"http://a.pl", "(www.d.pl", "ed2k://e"};
        QTest::newRow("CR and LF split lines") << "http://a\rhttp://b\n" << QStringList{"http://a", "http://b"};
        QTest::newRow("repeats and trailing blanks stay") << "http://a.pl  \r\nhttp://a.pl  \r\n"
                                                          << QStringList{"http://a.pl  ", "http://a.pl  "};
        QTest::newRow("tabs and control bytes are trimmed") << "\t\x01 www.t.pl" << QStringList{"www.t.pl"};
        QTest::newRow("www at the second character only") << "xwww.a.pl\nxxwww.b.pl" << QStringList{"xwww.a.pl"};
        QTest::newRow("a blank-only line goes") << "   \nhttps://x.pl" << QStringList{"https://x.pl"};
        QTest::newRow("a short line") << "www" << QStringList{"www"};
    }

    void offersTheLinesThatLookLikeLinks()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        TForm1& form = StartOn(1);
        clip->Hold(text);
        Offer offer;
        QVERIFY(RunImport([&] { form.Dodajlinkzeschowka1Click(); }, Cancel(), &offer));
        Strings wanted;
        for (const QString& line : expected)
            wanted.push_back(line.toStdString());
        QCOMPARE(offer.candidates, wanted);
        QCOMPARE(offer.checked, std::vector<bool>(wanted.size(), true));
        QCOMPARE(form.LastImport, wanted);
        QVERIFY(!form.Busy);
    }

    void aSourceWithoutLinksShowsNothing()
    {
        TForm1& form = StartOn(1);
        form.LastImport = {"http://old.pl"};
        clip->Hold("ftp://a.pl\nWWW.b.pl\n");
        QVERIFY(!RunImport([&] { form.Dodajlinkzeschowka1Click(); }));
        QCOMPARE(form.LastImport, Strings{"http://old.pl"});
        QVERIFY(!form.Busy);
    }

    // ---- the monitor's tick

    void tickEndsEarly_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("reads");
        QTest::newRow("no text") << "none" << false << 0;
        QTest::newRow("busy: the clipboard is not even read") << "links" << true << 0;
        QTest::newRow("empty text") << "empty" << false << 1;
        QTest::newRow("a read failure ends the tick with no box") << "fails" << false << 1;
    }

    void tickEndsEarly()
    {
        QFETCH(QString, clipboard);
        QFETCH(bool, busy);
        QFETCH(int, reads);
        TForm1& form = StartOn(1);
        if (clipboard == "links")
            clip->Hold("http://a.pl");
        else if (clipboard == "empty")
            clip->Hold("");
        else if (clipboard == "fails")
            clip->FailReads();
        form.Busy = busy;
        QVERIFY(!RunImport([&] { form.Timer1->Tick(); }));
        QCOMPARE(clip->Reads(), reads);
        QCOMPARE(form.Busy, busy);
        QVERIFY(form.LastImport.empty());
        // A failing read shows nothing; the next tick tries again.
        if (clipboard == "fails") {
            clip->Hold("http://a.pl");
            QVERIFY(RunImport([&] { form.Timer1->Tick(); }, Cancel()));
        }
    }

    void aFailingClipboardImportsNoLines()
    {
        TForm1& form = StartOn(1);
        clip->FailReads();
        QVERIFY(!RunImport([&] { form.Dodajlinkzeschowka1->trigger(); }));
        form.LastImport = {"http://a.pl"};
        QVERIFY(!RunImport([&] { form.ToolButton2->trigger(); }));
        QCOMPARE(form.LastImport, Strings{"http://a.pl"});
        QVERIFY(!form.Busy);
    }

    void theCommandNeedsText()
    {
        TForm1& form = StartOn(1);
        clip->HoldNoText();
        QVERIFY(!RunImport([&] { form.Dodajlinkzeschowka1Click(); }));
        QCOMPARE(clip->Reads(), 0);
    }

    // ---- the last import

    void theSameClipboardIsOfferedOnce_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("after a cancel") << false;
        QTest::newRow("after adding") << true;
    }

    void theSameClipboardIsOfferedOnce()
    {
        QFETCH(bool, confirm);
        TForm1& form = StartOn(1);
        clip->Hold("http://a.pl\nhttp://b.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, confirm ? AddTo(1) : Cancel()));
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));
        QVERIFY(!RunImport([&] { form.Dodajlinkzeschowka1Click(); }));
        clip->Hold("http://a.pl\nhttp://c.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, Cancel()));
    }

    void aFileImportCountsAsOffered()
    {
        TForm1& form = StartOn(1);
        const std::string path = fx->Root() + "links.txt";
        WriteFile(path, "http://a.pl\r\nhttp://b.pl\r\n");
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
        QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, Cancel()));
        fx->boxes.TakeAsked();
        clip->Hold("http://a.pl\nhttp://b.pl\n");
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));
        // A file is offered even when it equals the last import.
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
        QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, Cancel()));
        fx->boxes.TakeAsked();
    }

    void theProgramsOwnCopyIsNotOffered()
    {
        fx->AddLink(dom, "ftp://d3.pl", "");
        fx->AddLink(dom, "-rf /tmp/nic", "");
        fx->AddLink(dom, "  www.d5.pl", "");
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {0, 1}, 0);
        form.Kopiujlinkdoschowka1Click();
        QCOMPARE(clip->Text(), QStringLiteral("http://d1.pl\nhttp://d2.pl"));
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));

        // Copied links the monitor would not take, or would take trimmed,
        // leave nothing to offer either.
        SelectLinkRows(form, {0, 1, 2, 3, 4}, 0);
        form.Kopiujlinkdoschowka1Click();
        QCOMPARE(clip->Text(), QStringLiteral("http://d1.pl\nhttp://d2.pl\nftp://d3.pl\n-rf /tmp/nic\n  www.d5.pl"));
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));
        QCOMPARE(form.LastImport, (Strings{"http://d1.pl", "http://d2.pl", "www.d5.pl"}));
        SelectLinkRows(form, {2, 3}, 2);
        form.Kopiujlinkdoschowka1Click();
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));

        // A text another program copies after it is offered.
        clip->Hold(QStringLiteral("http://d1.pl\nhttp://inny.pl"));
        Offer offer;
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, Cancel(), &offer));
        QCOMPARE(offer.candidates, (Strings{"http://d1.pl", "http://inny.pl"}));
    }

    void aClipboardWithoutLinksKeepsTheLastImport()
    {
        TForm1& form = StartOn(1);
        clip->Hold("http://a.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, Cancel()));
        clip->Hold("zwykły tekst");
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));
        QCOMPARE(form.LastImport, Strings{"http://a.pl"});
        clip->Hold("http://a.pl");
        QVERIFY(!RunImport([&] { form.Timer1Timer(); }));
    }

    // ---- the dialog

    void looksAsDesigned()
    {
        TForm1& form = StartOn(1);
        clip->Hold("http://a.pl");
        QVERIFY(RunImport(
            [&] { form.Timer1Timer(); },
            [](TForm2& dialog) {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Dodaj linki"));
                QCOMPARE(dialog.size(), QSize(569, 361));
                QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
                QCOMPARE(dialog.Label1->text(), QStringLiteral("Do ktaegorii : "));
                QCOMPARE(dialog.BitBtn1->text(), QStringLiteral("Anuluj"));
                QCOMPARE(dialog.BitBtn2->text(), QStringLiteral("Dodaj linki"));
                QCOMPARE(dialog.CheckListBox1->geometry(), QRect(16, 16, 537, 305));
                QCOMPARE(dialog.BitBtn1->geometry(), QRect(16, 328, 89, 25));
                QCOMPARE(dialog.BitBtn2->geometry(), QRect(447, 328, 106, 25));
                QCOMPARE(dialog.ComboBox1->pos(), QPoint(200, 329));
                QCOMPARE(dialog.ComboBox1->width(), 241);
                QCOMPARE(QApplication::focusWidget(), dialog.BitBtn2);
                QVERIFY(!dialog.BitBtn1->icon().isNull() && !dialog.BitBtn2->icon().isNull());
                QCOMPARE(dialog.parentWidget(), nullptr);  // the application's, centred on the screen
                const QPoint offCentre =
                    dialog.frameGeometry().center() - dialog.screen()->availableGeometry().center();
                QVERIFY2(offCentre.manhattanLength() <= 4,
                         qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
                // Tab order: the add button, the check list, the combo, "Anuluj".
                for (QWidget* next : std::vector<QWidget*>{dialog.CheckListBox1, dialog.ComboBox1, dialog.BitBtn1}) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    QCOMPARE(QApplication::focusWidget(), next);
                }
                // Anchors: the list grows, the bottom row follows the bottom edge.
                dialog.resize(669, 411);
                QCOMPARE(dialog.CheckListBox1->geometry(), QRect(16, 16, 637, 355));
                QCOMPARE(dialog.BitBtn2->geometry(), QRect(447, 378, 106, 25));
                QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            }));
    }

    void theComboStartsOnTheSelectedCategory_data()
    {
        QTest::addColumn<int>("categoryRow");
        QTest::addColumn<int>("comboIndex");
        QTest::newRow("Bez kategorii") << 0 << 0;
        QTest::newRow("Dom") << 1 << 1;
        QTest::newRow("Praca") << 2 << 2;
        QTest::newRow("Wszystkie") << 3 << 0;
        QTest::newRow("no row") << -1 << 0;
    }

    void theComboStartsOnTheSelectedCategory()
    {
        QFETCH(int, categoryRow);
        QFETCH(int, comboIndex);
        TForm1& form = StartOn(0);
        form.ListBox2->clearSelection();
        ChooseCategory(form, categoryRow);
        const Strings linksBefore = ListLines(*form.ListBox1);
        clip->Hold("http://a.pl");
        Offer offer;
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, Cancel(), &offer));
        QCOMPARE(offer.comboNames, (Strings{"Bez kategorii", "Dom", "Praca"}));
        QCOMPARE(offer.comboIndex, comboIndex);
        // A cancel leaves both lists as they were.
        QCOMPARE(form.ListBox2->ItemIndex(), categoryRow);
        QCOMPARE(ListLines(*form.ListBox1), linksBefore);
    }

    void addsTheCheckedCandidatesAfterTheLargestPosition_data()
    {
        QTest::addColumn<int>("ustPoz");
        QTest::addColumn<int>("selectedRow");
        QTest::newRow("UstPoz 0: the first link") << 0 << 0;
        QTest::newRow("UstPoz 1: the last link") << 1 << 4;
    }

    void addsTheCheckedCandidatesAfterTheLargestPosition()
    {
        QFETCH(int, ustPoz);
        QFETCH(int, selectedRow);
        TForm1& form = StartOn(3);  // "Wszystkie": the link commands are off
        form.UstPoz = static_cast<signed char>(ustPoz);
        clip->Hold("http://n1.pl\nhttp://skip.pl\nwww.n2.pl\nhttp://n1.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); },
                          [](TForm2& dialog) {
                              dialog.CheckListBox1->SetChecked(1, false);
                              dialog.ComboBox1->setCurrentIndex(1);
                              QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
                          }));
        QCOMPARE(StoredLinks(dom),
                 (Strings{"http://d1.pl", "http://d2.pl", "http://n1.pl", "www.n2.pl", "http://n1.pl"}));
        QCOMPARE(fx->Query("SELECT POS, DESCR FROM LINKS WHERE CAT_ID = " + std::to_string(dom) + " ORDER BY POS"),
                 (WindowFixture::Rows{{"1", "Pierwszy"}, {"2", "Drugi"}, {"3", ""}, {"4", ""}, {"5", ""}}));
        QCOMPARE(form.ListBox2->ItemIndex(), 1);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{1});
        QCOMPARE(form.ListBox1->Count(), 5);
        QCOMPARE(form.ListBox1->ItemIndex(), selectedRow);
        QVERIFY(!form.ToolButton1->isEnabled());  // the enabling stays as it was
        QVERIFY(!form.Busy);
        // All links shown again, after the import left them for a category:
        // the added links are among them.
        ChooseCategory(form, 3);
        QCOMPARE(form.ListBox1->Count(), LinkCount());
        QCOMPARE(form.ListBox1->Count(), 6);
    }

    // The check list takes one row at a time: keys with Shift move the
    // focus from the row Tab brought it to, the first, and select no range.
    void shiftKeysInTheCheckListMoveFromItsFirstRow()
    {
        TForm1& form = StartOn(1);
        clip->Hold("http://a.pl\nhttp://b.pl\nhttp://c.pl\nhttp://d.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); },
                          [](TForm2& dialog) {
                              CheckListBox* list = dialog.CheckListBox1;
                              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                              QCOMPARE(QApplication::focusWidget(), list);
                              QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
                              QCOMPARE(list->currentRow(), 1);
                              QTest::keyClick(list, Qt::Key_End, Qt::ShiftModifier);
                              QCOMPARE(list->currentRow(), 3);
                              QCOMPARE(list->selectedItems(), QList<QListWidgetItem*>{list->item(3)});
                              QTest::keyClick(list, Qt::Key_Space);
                              QCOMPARE((std::vector<bool>{list->GetChecked(0), list->GetChecked(1), list->GetChecked(2),
                                                          list->GetChecked(3)}),
                                       (std::vector<bool>{true, true, true, false}));
                              QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
                          }));
    }

    void nothingCheckedStoresNothingYetReloads()
    {
        TForm1& form = StartOn(0);
        clip->Hold("http://a.pl\nhttp://b.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); },
                          [](TForm2& dialog) {
                              // The user unchecks one row with the mouse, the other with the space bar.
                              CheckListBox* list = dialog.CheckListBox1;
                              const QRect first = list->visualItemRect(list->item(0));
                              QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                                QPoint(first.left() + 8, first.center().y()));
                              QVERIFY(!list->GetChecked(0));
                              list->setFocus();
                              list->setCurrentRow(1);
                              QTest::keyClick(list, Qt::Key_Space);
                              QVERIFY(!list->GetChecked(1));
                              dialog.ComboBox1->setCurrentIndex(2);
                              QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
                          }));
        QCOMPARE(LinkCount(), 3);
        QCOMPARE(form.ListBox2->ItemIndex(), 2);
        QCOMPARE(RowIds(*form.ListBox1).size(), std::size_t(1));
        QCOMPARE(form.LastImport, (Strings{"http://a.pl", "http://b.pl"}));
    }

    void candidatesAreStoredByteForByte()
    {
        TForm1& form = StartOn(1);
        const QString text = QStringLiteral("http://a.pl/?x=1&amp;y=2\nhttp://b.pl/<b>\nhttp://c.pl</l><d>opis</d>\n"
                                            "http://ł.pl/ż");
        clip->Hold(text);
        QVERIFY(RunImport([&] { form.Timer1Timer(); }, AddTo(2)));
        QCOMPARE(StoredLinks(praca),
                 (Strings{"http://p1.pl", "http://a.pl/?x=1&amp;y=2", "http://b.pl/<b>", "http://c.pl</l><d>opis</d>",
                          Cp("http://ł.pl/ż")}));
        QCOMPARE(fx->Query("SELECT COUNT(*) FROM LINKS WHERE DESCR <> ''"), (WindowFixture::Rows{{"2"}}));
    }

    void howTheDialogIsLeft_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("stores");
        QTest::newRow("Enter in the check list") << "enter list" << true;
        QTest::newRow("Enter in the combo") << "enter combo" << true;
        QTest::newRow("Enter on the focused add button") << "enter add" << true;
        QTest::newRow("Enter on the focused cancel button") << "enter cancel" << false;
        QTest::newRow("Esc in the check list") << "esc list" << false;
        QTest::newRow("Esc in the combo") << "esc combo" << false;
        QTest::newRow("Anuluj") << "cancel" << false;
        QTest::newRow("the close box") << "close" << false;
    }

    void howTheDialogIsLeft()
    {
        QFETCH(QString, how);
        QFETCH(bool, stores);
        TForm1& form = StartOn(1);
        const Strings linksBefore = ListLines(*form.ListBox1);
        clip->Hold("http://a.pl");
        QVERIFY(RunImport([&] { form.Timer1Timer(); },
                          [how](TForm2& dialog) {
                              dialog.ComboBox1->setCurrentIndex(2);
                              if (how == "enter list")
                                  QTest::keyClick(dialog.CheckListBox1, Qt::Key_Return);
                              else if (how == "enter combo")
                                  QTest::keyClick(dialog.ComboBox1, Qt::Key_Enter);
                              else if (how == "enter add")
                                  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                              else if (how == "enter cancel")
                                  QTest::keyClick(dialog.BitBtn1, Qt::Key_Return);
                              else if (how == "esc list")
                                  QTest::keyClick(dialog.CheckListBox1, Qt::Key_Escape);
                              else if (how == "esc combo")
                                  QTest::keyClick(dialog.ComboBox1, Qt::Key_Escape);
                              else if (how == "cancel")
                                  QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
                              else if (how == "close")
                                  dialog.close();
                              QVERIFY(!dialog.isVisible());
                          }));
        QCOMPARE(StoredLinks(praca), stores ? (Strings{"http://p1.pl", "http://a.pl"}) : Strings{"http://p1.pl"});
        QCOMPARE(form.ListBox2->ItemIndex(), stores ? 2 : 1);
        if (!stores)
            QCOMPARE(ListLines(*form.ListBox1), linksBefore);
    }

    void drawsItsRows()
    {
        // Image k is filled with (k, 100, 200).
        platform::ImageList images;
        for (int k = 0; k < 28; ++k) {
            QPixmap image(16, 16);
            image.fill(QColor(k, 100, 200));
            images.Add(image);
        }
        TForm2 dialog(nullptr, images, fx->boxes);
        for (const char* candidate : {"ed2k://|file|a|", "http://a.pl", "(www.a.pl", "ftp://b.pl"})
            dialog.CheckListBox1->Append(candidate);
        dialog.SetCategories({CategoryLine(0, 0, "Bez kategorii", "Bez kategorii"), CategoryLine(4, 1, "Dom", "")});

        const struct {
            int row;
            bool selected;
            QColor background;
            int image;  // -1: none
        } rows[] = {
            {0, false, QColor(249, 249, 243), 13},  // $00F3F9F9, the darker twin
            {1, false, QColor(255, 255, 249), 7},   // $00F9FFFF
            {2, true, QColor(209, 228, 249), 7},    // $00F9E4D1, the selection's twin
            {3, true, QColor(215, 234, 255), -1},   // $00FFEAD7
        };
        for (const auto& r : rows) {
            QImage image(200, 16, QImage::Format_RGB32);
            image.fill(Qt::red);
            QPainter painter(&image);
            dialog.CheckListBox1DrawItem(painter, QRect(0, 0, 200, 16), r.row, r.selected);
            painter.end();
            QCOMPARE(image.pixelColor(195, 8), r.background);
            QCOMPARE(image.pixelColor(10, 8), r.image >= 0 ? QColor(r.image, 100, 200) : r.background);
        }

        // The list draws each row's check box as it stands: a checked and an
        // unchecked box differ.
        dialog.CheckListBox1->SetChecked(1, true);
        dialog.CheckListBox1->SetChecked(2, true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QImage list = dialog.CheckListBox1->viewport()->grab().toImage();
        const auto checkBlock = [&](int row) {
            const QRect rect = dialog.CheckListBox1->visualItemRect(dialog.CheckListBox1->item(row));
            return list.copy(rect.left(), rect.top(), 16, 16);
        };
        QVERIFY(checkBlock(1) != checkBlock(3));
        QCOMPARE(checkBlock(1), checkBlock(2));
        QCOMPARE(checkBlock(0), checkBlock(3));

        QImage image(200, 18, QImage::Format_RGB32);
        QPainter painter(&image);
        dialog.ComboBox1DrawItem(painter, QRect(0, 0, 200, 18), 1, false);
        painter.end();
        QCOMPARE(image.pixelColor(10, 8), QColor(21, 100, 200));
        QCOMPARE(image.pixelColor(195, 8), QColor(255, 255, 249));
    }

    // ---- busy

    void nothingRunsTwiceWhileTheDialogIsOpen()
    {
        TForm1& form = StartOn(1);
        form.Timer1->SetEnabled(true);
        clip->Hold("http://a.pl");
        int nested = 0;
        QVERIFY(RunImport([&] { form.Timer1->Tick(); },
                          [&](TForm2& dialog) {
                              QVERIFY(form.Busy);
                              clip->Hold("http://b.pl");
                              const int reads = clip->Reads();
                              form.Timer1->Tick();
                              form.Dodajlinkzeschowka1->trigger();
                              form.ImportLinks(fx->Root() + "missing.txt");
                              QCOMPARE(clip->Reads(), reads);
                              for (QWidget* window : QApplication::topLevelWidgets())
                                  nested += qobject_cast<TForm2*>(window) != nullptr && window->isVisible() ? 1 : 0;
                              QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
                          }));
        QCOMPARE(nested, 1);
        QVERIFY(!form.Busy);
        QCOMPARE(form.LastImport, Strings{"http://a.pl"});
        Offer offer;
        QVERIFY(RunImport([&] { form.Timer1->Tick(); }, Cancel(), &offer));
        QCOMPARE(offer.candidates, Strings{"http://b.pl"});
    }

    void aFileThatCannotBeReadShowsTheErrorBox()
    {
        TForm1& form = StartOn(1);
        form.LastImport = {"http://a.pl"};
        const std::string path = fx->Root() + "missing.txt";
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
        QVERIFY(!RunImport([&] { form.Dodajlinkizpliku1->trigger(); }));
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(2));
        QCOMPARE(asked[0].kind, BoxKind::OpenFile);
        QCOMPARE(asked[0].value, QStringLiteral("Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*"));
        QCOMPARE(asked[1].kind, BoxKind::ShowException);
        QVERIFY(asked[1].text.contains(QString::fromStdString(path)));
        QCOMPARE(form.LastImport, Strings{"http://a.pl"});
        QVERIFY(!form.Busy);
    }

    // The open dialog starts in the home folder, then in the folder of the
    // file last chosen in it (a file that could not be read counts too);
    // cancelling changes nothing.
    void theOpenDialogStartsWhereAFileWasLastChosen()
    {
        TForm1& form = StartOn(1);
        const QString home = QString::fromStdString(fx->Root() + "home");
        const std::string texts = fx->Root() + "teksty ż";
        QVERIFY(std::filesystem::create_directory(texts));
        WriteFile(texts + "/linki.txt", "http://t.pl\n");
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Dodajlinkizpliku1Click();
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(texts + "/linki.txt")));
        QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, Cancel()));
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(fx->Root() + "missing.txt")));
        form.Dodajlinkizpliku1->trigger();
        fx->boxes.Script(BoxAnswer::Cancel());
        form.Dodajlinkizpliku1Click();
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(5));
        QCOMPARE(asked[0].folder, home);
        QCOMPARE(asked[1].folder, home);
        QCOMPARE(asked[2].folder, QString::fromStdString(texts));
        QCOMPARE(asked[3].kind, BoxKind::ShowException);
        QCOMPARE(asked[4].folder, QString::fromStdString(fx->Root()).chopped(1));
    }

    void noFileChosenDoesNothing()
    {
        TForm1& form = StartOn(1);
        fx->boxes.Script(BoxAnswer::Cancel());
        QVERIFY(!RunImport([&] { form.ToolButton3->trigger(); }));
        QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
        QVERIFY(!form.Busy);
    }

    // ---- the switches

    void theSwitchesKeepInStep_data()
    {
        QTest::addColumn<QString>("switchName");
        QTest::addColumn<bool>("on");
        for (const char* name : {"ToolButton20", "Monitorowanieschowka2", "Monitorowanieschowka1"}) {
            QTest::addRow("%s on", name) << name << true;
            QTest::addRow("%s off", name) << name << false;
        }
    }

    void theSwitchesKeepInStep()
    {
        QFETCH(QString, switchName);
        QFETCH(bool, on);
        TForm1& form = StartOn(1);
        QAction* item = switchName == "ToolButton20" ? form.ToolButton20
            : switchName == "Monitorowanieschowka2"  ? form.Monitorowanieschowka2
                                                     : form.Monitorowanieschowka1;
        // Start from the other state everywhere.
        form.Timer1->SetEnabled(!on);
        for (QAction* a : {form.ToolButton20, form.Monitorowanieschowka2, form.Monitorowanieschowka1})
            a->setChecked(!on);
        item->trigger();  // the class library flips the check first
        QCOMPARE(form.Timer1->Enabled(), on);
        // Every switch shows in all three places, the tray menu's item
        // included: the tray host may open that menu without asking first.
        QCOMPARE(form.ToolButton20->isChecked(), on);
        QCOMPARE(form.Monitorowanieschowka2->isChecked(), on);
        QCOMPARE(form.Monitorowanieschowka1->isChecked(), on);
        // Opening the link list's menu shows the timer's state.
        form.Monitorowanieschowka2->setChecked(!on);
        emit form.PopupMenu1->aboutToShow();
        QCOMPARE(form.Monitorowanieschowka2->isChecked(), on);
    }

    void ctrlOInTheLinkListAsksForAFile()
    {
        TForm1& form = StartOn(1);
        QVERIFY(ShowAndWait(form));
        form.ListBox1->setFocus();
        fx->boxes.Script(BoxAnswer::Cancel());
        QTest::keyClick(form.ListBox1, Qt::Key_O, Qt::ControlModifier);
        const auto asked = fx->boxes.TakeAsked();
        QCOMPARE(asked.size(), std::size_t(1));
        QCOMPARE(asked[0].kind, BoxKind::OpenFile);
    }

    // ---- text files and characters outside the code page

    void filesInEitherEncodingStoreTheSameBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const std::string utf8 = "http://łódź.pl/ą\r\nwww.żółw.pl\r\nopis bez linku\r\n";
        QTest::newRow("UTF-8 with the mark") << QByteArray::fromStdString("\xEF\xBB\xBF" + utf8);
        QTest::newRow("UTF-8 without the mark") << QByteArray::fromStdString(utf8);
        QTest::newRow("Windows-1250") << QByteArray::fromStdString(Cp(utf8));
        // Each line in its own encoding: one Windows-1250 line among UTF-8 ones.
        const std::string mixed = "http://łódź.pl/ą\r\n" + Cp("www.żółw.pl\r\n") + "opis bez linku\r\n";
        QTest::newRow("UTF-8 and Windows-1250 lines") << QByteArray::fromStdString(mixed);
        QTest::newRow("the mark, and one Windows-1250 line") << QByteArray::fromStdString("\xEF\xBB\xBF" + mixed);
    }

    void filesInEitherEncodingStoreTheSameBytes()
    {
        QFETCH(QByteArray, bytes);
        TForm1& form = StartOn(1);
        const std::string path = fx->Root() + "linki ż.txt";
        WriteFile(path, bytes.toStdString());
        fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
        QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, AddTo(2)));
        fx->boxes.TakeAsked();
        QCOMPARE(StoredLinks(praca), (Strings{"http://p1.pl", Cp("http://łódź.pl/ą"), Cp("www.żółw.pl")}));
    }

    // A NUL byte would end the text in the store's SQL: it is dropped where
    // the text enters, so the dialog offers what is stored.
    void aNulByteIsDroppedWhereTheTextEnters_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("entered");  // a file's bytes; UTF-8 for the others
        QTest::addColumn<QByteArray>("stored");
        const QByteArray link = QByteArray("http://a") + '\0' + "b/after-nul";
        const QByteArray polish = QByteArray("http://ż") + '\0' + "ółw.pl";
        QTest::newRow("Windows-1250 file") << "file" << QByteArray::fromStdString(Cp(polish.toStdString()))
                                           << QByteArray::fromStdString(Cp("http://żółw.pl"));
        QTest::newRow("UTF-8 file") << "file" << polish << QByteArray::fromStdString(Cp("http://żółw.pl"));
        QTest::newRow("clipboard") << "clipboard" << link << QByteArray("http://ab/after-nul");
        QTest::newRow("typed in the add box") << "add" << link << QByteArray("http://ab/after-nul");
    }

    void aNulByteIsDroppedWhereTheTextEnters()
    {
        QFETCH(QString, source);
        QFETCH(QByteArray, entered);
        QFETCH(QByteArray, stored);
        TForm1& form = StartOn(2);
        const QString text = QString::fromUtf8(entered);
        Offer offer;
        if (source == "file") {
            const std::string path = fx->Root() + "nul.txt";
            WriteFile(path, entered.toStdString() + "\r\n");
            fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
            QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, AddTo(2), &offer));
        } else if (source == "clipboard") {
            clip->Hold(text);
            QVERIFY(RunImport([&] { form.Dodajlinkzeschowka1Click(); }, AddTo(2), &offer));
        } else {
            fx->boxes.Script(BoxAnswer::Text(text));
            form.Dodajnowylink1Click();
        }
        fx->boxes.TakeAsked();
        if (source != "add")
            QCOMPARE(offer.candidates, Strings{stored.toStdString()});
        QCOMPARE(fx->Query("SELECT LINK, length(CAST(LINK AS BLOB)) FROM LINKS WHERE CAT_ID = " +
                           std::to_string(praca) + " ORDER BY POS DESC LIMIT 1"),
                 (WindowFixture::Rows{{stored.toStdString(), std::to_string(stored.size())}}));
        QCOMPARE(GetTagValue(form.ListBox1->Item(form.ListBox1->Count() - 1), "<l>"), stored.toStdString());
    }

    void aNulByteIsDroppedFromADescriptionAndAName()
    {
        TForm1& form = StartOn(2);
        SelectLinkRows(form, {0}, 0);
        fx->boxes.Script(BoxAnswer::Text(QString::fromUtf8(QByteArray("o") + '\0' + "pis")));
        form.Zmieopis1Click();
        fx->boxes.Script(BoxAnswer::Text(QString::fromUtf8(QByteArray("No") + '\0' + "wa")));
        form.Dodajnowkategori1Click();
        fx->boxes.TakeAsked();
        QCOMPARE(fx->Query("SELECT DESCR FROM LINKS WHERE CAT_ID = " + std::to_string(praca)),
                 (WindowFixture::Rows{{"opis"}}));
        QCOMPARE(fx->Query("SELECT NAME FROM CATEGS ORDER BY ID DESC LIMIT 1"), (WindowFixture::Rows{{"Nowa"}}));
    }

    void linksOutsideTheCodePageArePercentEncoded_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("UTF-8 file") << "file";
        QTest::newRow("clipboard") << "clipboard";
        QTest::newRow("typed in the add box") << "add";
        QTest::newRow("typed in the change box") << "change";
    }

    void linksOutsideTheCodePageArePercentEncoded()
    {
        QFETCH(QString, source);
        TForm1& form = StartOn(2);
        const QString link = QStringLiteral("http://пример.рф/ł");
        const std::string stored = "http://%D0%BF%D1%80%D0%B8%D0%BC%D0%B5%D1%80.%D1%80%D1%84/" + Cp("ł");
        if (source == "file") {
            const std::string path = fx->Root() + "cyr.txt";
            WriteFile(path, link.toStdString() + "\n");
            fx->boxes.Script(BoxAnswer::Path(QString::fromStdString(path)));
            QVERIFY(RunImport([&] { form.Dodajlinkizpliku1Click(); }, AddTo(2)));
        } else if (source == "clipboard") {
            clip->Hold(link);
            QVERIFY(RunImport([&] { form.Dodajlinkzeschowka1Click(); }, AddTo(2)));
        } else if (source == "add") {
            fx->boxes.Script(BoxAnswer::Text(link));
            form.Dodajnowylink1Click();
        } else {
            SelectLinkRows(form, {0}, 0);
            fx->boxes.Script(BoxAnswer::Text(link));
            form.Zmielink1Click();
        }
        fx->boxes.TakeAsked();
        QCOMPARE(StoredLinks(praca).back(), stored);
    }
};

QTEST_MAIN(ImportTest)
#include "ImportTest.moc"
