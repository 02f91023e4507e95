// The move dialog on its own: what each way of leaving it reports, its keys,
// its look and the drawing of its category rows.
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ImageList.h"
#include "platform/testing/ScriptedBoxes.h"
#include "store/Funcs.h"
#include "window/dialogs/MoveLinksDialog.h"

namespace {

constexpr int kUntouched = 12345;  // what the caller's int holds when nothing is stored

// Images whose colour says their index: image k is filled with (k, 100, 200).
platform::ImageList NumberedImages()
{
    platform::ImageList images;
    for (int k = 0; k < 27; ++k) {
        QPixmap image(16, 16);
        image.fill(QColor(k, 100, 200));
        images.Add(image);
    }
    return images;
}

// Uncategorised, then two stored categories: the combo rows of a move out of
// "Praca" (row 2).
std::vector<std::string> ComboLines()
{
    return {CategoryLine(0, 0, "Bez kategorii", "Bez kategorii"), CategoryLine(4, 1, "Dom", ""),
            CategoryLine(9, 2, "Praca", "")};
}

}  // namespace

class MoveLinksDialogTest : public QObject {
    Q_OBJECT

private:
    platform::ImageList images_ = NumberedImages();
    platform::ScriptedBoxes boxes_;

    std::unique_ptr<TForm7> MakeDialog(int* result, int currentIndex = 2)
    {
        auto dialog = std::make_unique<TForm7>(nullptr, images_, boxes_);
        dialog->SetItems(ComboLines());
        dialog->CurrentCategoryIndex = currentIndex;
        dialog->ComboBox1->setCurrentIndex(currentIndex);
        dialog->ResultCategoryId = result;
        return dialog;
    }

    // Runs the dialog modally; act runs once it is shown.
    static int RunModal(TForm7& dialog, std::function<void()> act)
    {
        QTimer::singleShot(0, &dialog, [&dialog, act] {
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            act();
            // A dialog still open after the act is closed by the test harness
            // with a marker result, so a missing close shows as a failure.
            if (dialog.isVisible())
                dialog.done(99);
        });
        return dialog.exec();
    }

private slots:
    void cleanup()
    {
        QVERIFY(boxes_.TakeUnscripted().empty());
        QVERIFY(boxes_.TakeAsked().empty());
    }

    void looksAsDesigned()
    {
        int result = -1;
        auto dialog = MakeDialog(&result);
        QCOMPARE(dialog->windowTitle(), QString::fromUtf8("Przenieś linki do kategorii"));
        QCOMPARE(dialog->size(), QSize(331, 125));
        QCOMPARE(dialog->GroupBox1->title(), QString::fromUtf8("Kategoria do której przenieść wybrane linki : "));
        QCOMPARE(dialog->BitBtn1->text(), QString::fromUtf8("Anuluj"));
        QCOMPARE(dialog->BitBtn2->text(), QString::fromUtf8("Przenieś"));
        for (QPushButton* button : {dialog->BitBtn1, dialog->BitBtn2})
            QVERIFY(!button->autoDefault() && !button->isDefault());
        QCOMPARE(dialog->ComboBox1->count(), 3);
        QCOMPARE(dialog->ComboBox1->itemText(1), QStringLiteral("Dom"));
        QCOMPARE(dialog->Item(2), ComboLines()[2]);
        QCOMPARE(dialog->BitBtn1->icon().pixmap(16).toImage().pixelColor(8, 8), QColor(2, 100, 200));
        QCOMPARE(dialog->BitBtn2->icon().pixmap(16).toImage().pixelColor(8, 8), QColor(20, 100, 200));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY(dialog->BitBtn1->x() < dialog->BitBtn2->x());
    }

    void reportsHowItWasLeft_data()
    {
        QTest::addColumn<int>("chosenRow");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("expected");

        QTest::newRow("Przenieś, another category") << 1 << "move button" << 4;
        QTest::newRow("Przenieś, Uncategorised") << 0 << "move button" << 0;
        QTest::newRow("Enter on the combo") << 1 << "enter on combo" << 4;
        QTest::newRow("Enter on the dialog") << 0 << "enter on dialog" << 0;
        QTest::newRow("Przenieś, the preselected category") << 2 << "move button" << -1;
        QTest::newRow("Enter, the preselected category") << 2 << "enter on combo" << -1;
        QTest::newRow("Przenieś, no row chosen") << -1 << "move button" << -1;
        QTest::newRow("Anuluj") << 1 << "cancel button" << -1;
        QTest::newRow("Escape on the combo stores nothing") << 1 << "escape on combo" << kUntouched;
        QTest::newRow("Escape on the dialog stores nothing") << 1 << "escape on dialog" << kUntouched;
        QTest::newRow("close box stores nothing") << 1 << "close box" << kUntouched;
        // Enter on a focused button clicks that button: never a cancel that moves.
        QTest::newRow("Enter on a focused Anuluj") << 1 << "enter on cancel button" << -1;
        QTest::newRow("Enter on a focused Przenieś") << 1 << "enter on move button" << 4;
    }

    void reportsHowItWasLeft()
    {
        QFETCH(int, chosenRow);
        QFETCH(QString, how);
        QFETCH(int, expected);

        int result = kUntouched;
        auto dialog = MakeDialog(&result);
        dialog->ComboBox1->setCurrentIndex(chosenRow);
        const int code = RunModal(*dialog, [&] {
            if (how == "move button")
                QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
            else if (how == "cancel button")
                QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
            else if (how == "enter on combo")
                QTest::keyClick(dialog->ComboBox1, Qt::Key_Return);
            else if (how == "enter on dialog")
                QTest::keyClick(dialog.get(), Qt::Key_Enter);
            else if (how == "escape on combo")
                QTest::keyClick(dialog->ComboBox1, Qt::Key_Escape);
            else if (how == "escape on dialog")
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
            else if (how == "close box")
                dialog->close();
            else if (how == "enter on cancel button" || how == "enter on move button") {
                QPushButton* button = how == "enter on cancel button" ? dialog->BitBtn1 : dialog->BitBtn2;
                button->setFocus();
                QCOMPARE(QApplication::focusWidget(), button);
                QTest::keyClick(button, Qt::Key_Return);
            }
        });
        QVERIFY2(code != 99, "the dialog stayed open");
        QCOMPARE(result, expected);
    }

    void otherKeysDoNotCloseIt()
    {
        int result = kUntouched;
        auto dialog = MakeDialog(&result);
        const int code = RunModal(*dialog, [&] {
            QTest::keyClick(dialog->ComboBox1, Qt::Key_A);
            QTest::keyClick(dialog->ComboBox1, Qt::Key_Backspace);
            QTest::keyClick(dialog.get(), Qt::Key_F5);
            QVERIFY(dialog->isVisible());
        });
        QCOMPARE(code, 99);
        QCOMPARE(result, kUntouched);
    }

    void comboStartsWithTheKeyboardFocus()
    {
        int result = kUntouched;
        auto dialog = MakeDialog(&result);
        bool focused = false;
        RunModal(*dialog, [&] {
            QTRY_VERIFY(QApplication::focusWidget() != nullptr);
            focused = QApplication::focusWidget() == dialog->ComboBox1;
        });
        QVERIFY(focused);
    }

    void drawsCategoryRows_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QColor>("background");

        QTest::newRow("row 0") << 0 << false << QColor(249, 249, 243);
        QTest::newRow("row 1") << 1 << false << QColor(255, 255, 249);
        QTest::newRow("row 0 selected") << 0 << true << QColor(209, 228, 249);
        QTest::newRow("row 1 selected") << 1 << true << QColor(215, 234, 255);
    }

    void drawsCategoryRows()
    {
        QFETCH(int, index);
        QFETCH(bool, selected);
        QFETCH(QColor, background);

        int result = -1;
        auto dialog = MakeDialog(&result);
        QImage canvas(200, 18, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        {
            QPainter painter(&canvas);
            dialog->ComboBox1DrawItem(painter, QRect(0, 0, 200, 18), index, selected);
        }
        QCOMPARE(canvas.pixelColor(199, 17), background);
        QCOMPARE(canvas.pixelColor(1, 0), background);
        // Image 21 at (left + 2, top), the name to its right.
        QCOMPARE(canvas.pixelColor(2, 0), QColor(21, 100, 200));
        QCOMPARE(canvas.pixelColor(17, 15), QColor(21, 100, 200));
        QCOMPARE(canvas.pixelColor(18, 16), background);
        bool textDrawn = false;
        for (int x = 20; x < 199 && !textDrawn; ++x)
            for (int y = 1; y < 17 && !textDrawn; ++y)
                textDrawn = canvas.pixelColor(x, y) != background;
        QVERIFY(textDrawn);
    }
};

QTEST_MAIN(MoveLinksDialogTest)
#include "MoveLinksDialogTest.moc"
