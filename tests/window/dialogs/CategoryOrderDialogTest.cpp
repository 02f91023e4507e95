// The category-order dialog as "Kolejność" opens it from the main window:
// its look, the block moves and the sort on its list, and what OK, "Anuluj",
// Escape and the close box leave in the catalogue and in the category list.
#include <QAction>
#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

#include "platform/Convert.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/CategoryOrderDialog.h"

namespace {

QStringList Names(const LineListBox& box, int first = 0, int skipAtEnd = 0)
{
    QStringList names;
    for (int i = first; i < box.Count() - skipAtEnd; ++i)
        names << platform::ToQString(GetTagValue(box.Item(i), "<n>"));
    return names;
}

// The main list's stored categories, without the two rows around them.
QStringList CategoryNames(TForm1& form)
{
    return Names(*form.ListBox2, 1, 1);
}

QList<int> Selection(const LineListBox& box)
{
    QList<int> rows;
    for (int row : SelectedRows(box))
        rows << row;
    return rows;
}

// The categories as the catalogue orders them: "name@pos".
QStringList StoredOrder(const WindowFixture& fx)
{
    QStringList order;
    for (const auto& row : fx.Query("SELECT NAME, POS FROM CATEGS ORDER BY POS, ID"))
        order << platform::ToQString(row[0]) + QLatin1Char('@') + platform::ToQString(row[1]);
    return order;
}

// Records the text a row's drawing paints, whatever the fonts at hand.
class TextRecordingEngine : public QPaintEngine {
public:
    TextRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { text += item.text(); }
    Type type() const override { return QPaintEngine::User; }
    QString text;
};

class TextRecorder : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine_; }
    QString Text() const { return engine_.text; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return 400;
        case PdmHeight:
            return 18;
        case PdmWidthMM:
            return 106;
        case PdmHeightMM:
            return 5;
        case PdmNumColors:
            return 0xffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    mutable TextRecordingEngine engine_;
};

QString PaintedText(const LineListBox& box, int row)
{
    TextRecorder device;
    QPainter painter(&device);
    box.DrawRow(painter, QRect(0, 0, 400, 18), row, false);
    painter.end();
    return device.Text();
}

QStringList PaintedTexts(const LineListBox& box, int first = 0, int skipAtEnd = 0)
{
    QStringList texts;
    for (int i = first; i < box.Count() - skipAtEnd; ++i)
        texts << PaintedText(box, i);
    return texts;
}

// Exactly these rows of the dialog selected, the focus on focusRow.
void SelectRows(TForm4& dialog, const QList<int>& rows, int focusRow)
{
    dialog.ListBox1->clearSelection();
    dialog.ListBox1->SetItemIndex(focusRow);
    for (int row : rows)
        dialog.ListBox1->SetSelected(row, true);
}

}  // namespace

class CategoryOrderDialogTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

    // Categories listed in the given order; the ids fall along the list, so
    // an order by id is the list reversed.
    void SeedReversed(const QStringList& names)
    {
        for (int k = static_cast<int>(names.size()) - 1; k >= 0; --k)
            DbAddCategories(fx->SettingsFolder(), {CategoryLine(-1, k + 1, Cp(names[k].toStdString()), "")});
    }

    // Five categories "1" .. "5", in this order.
    void SeedFive()
    {
        for (int k = 1; k <= 5; ++k)
            fx->AddCategory(std::to_string(k));
    }

    // Runs "Kolejność"; act gets the dialog once it is shown. A dialog that
    // act leaves open is closed and reported.
    void RunOrder(TForm1& form, const std::function<void(TForm4&)>& act)
    {
        const ModalRun run = RunModal<TForm4>([&form] { form.Kolejno1->trigger(); }, act);
        QVERIFY2(run.opened, "no order dialog opened");
        QVERIFY2(!run.leftOpen, "the order dialog stayed open");
    }

    static void Choose(TForm1& form, int row)
    {
        form.ListBox2->clearSelection();
        form.ListBox2->SetItemIndex(row);
        if (row >= 0)
            form.ListBox2->SetSelected(row, true);
    }

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void looksAsDesignedAndListsTheStoredCategories()
    {
        SeedFive();
        TForm1& form = fx->Start();
        Choose(form, 2);
        const std::vector<std::string> lines = ListLines(*form.ListBox2);

        QString title;
        QSize size, minimum, maximum;
        QStringList hints, captions;
        std::vector<std::string> listed;
        bool busy = false;
        bool multiSelect = false;
        RunOrder(form, [&](TForm4& dialog) {
            title = dialog.windowTitle();
            size = dialog.size();
            minimum = dialog.minimumSize();
            maximum = dialog.maximumSize();
            for (QPushButton* button : {dialog.BitBtn1, dialog.BitBtn2, dialog.BitBtn3})
                hints << button->toolTip();
            for (QPushButton* button : {dialog.BitBtn4, dialog.BitBtn5})
                captions << button->text();
            listed = ListLines(*dialog.ListBox1);
            multiSelect = dialog.ListBox1->selectionMode() != QAbstractItemView::SingleSelection;
            busy = form.Busy;
            QTest::mouseClick(dialog.BitBtn4, Qt::LeftButton);
        });

        QCOMPARE(title, QStringLiteral("Zmiana kolejności kategorii"));
        QCOMPARE(size, QSize(324, 383));
        QCOMPARE(minimum, size);
        QCOMPARE(maximum, size);
        QCOMPARE(hints,
                 (QStringList{QStringLiteral("Przesuń do góry"), QStringLiteral("Przesuń w dół"),
                              QStringLiteral("Sortuj kategorie wg nazwy")}));
        QCOMPARE(captions, (QStringList{QStringLiteral("Anuluj"), QStringLiteral("OK")}));
        QCOMPARE(listed, std::vector<std::string>(lines.begin() + 1, lines.end() - 1));
        QVERIFY(multiSelect);
        QVERIFY2(busy, "Busy was lowered while the dialog was open");
        QCOMPARE(form.Busy, false);
    }

    void movesSelectedBlocks_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("focus");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::addColumn<int>("focusAfter");

        QTest::newRow("up: a run of two") << true << 1 << QList<int>{1, 2} << 1 << "2,3,1,4,5" << QList<int>{0, 1} << 0;
        QTest::newRow("down: a run of two")
            << false << 1 << QList<int>{1, 2} << 2 << "1,4,2,3,5" << QList<int>{2, 3} << 3;
        QTest::newRow("up: two separate rows")
            << true << 1 << QList<int>{1, 3} << 3 << "2,1,4,3,5" << QList<int>{0, 2} << 2;
        QTest::newRow("down: rows 0 and 2")
            << false << 1 << QList<int>{0, 2} << 0 << "2,1,4,3,5" << QList<int>{1, 3} << 1;
        QTest::newRow("up three times stops at the top")
            << true << 3 << QList<int>{2, 3} << 2 << "3,4,1,2,5" << QList<int>{0, 1} << 0;
        QTest::newRow("up: the first row selected does nothing")
            << true << 1 << QList<int>{0, 2} << 2 << "1,2,3,4,5" << QList<int>{0, 2} << 2;
        QTest::newRow("down: the last row selected does nothing")
            << false << 1 << QList<int>{2, 4} << 2 << "1,2,3,4,5" << QList<int>{2, 4} << 2;
        QTest::newRow("up: nothing selected does nothing")
            << true << 1 << QList<int>{} << 2 << "1,2,3,4,5" << QList<int>{} << 2;
    }

    void movesSelectedBlocks()
    {
        QFETCH(bool, up);
        QFETCH(int, presses);
        QFETCH(QList<int>, selected);
        QFETCH(int, focus);
        QFETCH(QString, order);
        QFETCH(QList<int>, selectedAfter);
        QFETCH(int, focusAfter);
        SeedFive();
        TForm1& form = fx->Start();
        const QStringList stored = StoredOrder(*fx);

        QStringList listed;
        QList<int> selection;
        int focused = -2;
        QStringList storedMeanwhile;
        RunOrder(form, [&](TForm4& dialog) {
            SelectRows(dialog, selected, focus);
            for (int k = 0; k < presses; ++k)
                QTest::mouseClick(up ? dialog.BitBtn1 : dialog.BitBtn2, Qt::LeftButton);
            listed = Names(*dialog.ListBox1);
            selection = Selection(*dialog.ListBox1);
            focused = dialog.ListBox1->ItemIndex();
            storedMeanwhile = StoredOrder(*fx);
            QTest::mouseClick(dialog.BitBtn4, Qt::LeftButton);
        });

        QCOMPARE(listed.join(u','), order);
        QCOMPARE(selection, selectedAfter);
        QCOMPARE(focused, focusAfter);
        QCOMPARE(storedMeanwhile, stored);
        QCOMPARE(StoredOrder(*fx), stored);
        QCOMPARE(form.Busy, false);
    }

    void sortsByName_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("Polish letters after their base letters")
            << QStringList{"żaba", "Ala", "łoś", "Zenon", "lis"} << QStringList{"Ala", "lis", "łoś", "Zenon", "żaba"};
        QTest::newRow("capitals count as their small letters")
            << QStringList{"Łódź", "lody", "Lwów", "ćma", "Cyna", "czapla"}
            << QStringList{"Cyna", "czapla", "ćma", "lody", "Lwów", "Łódź"};
        QTest::newRow("equal names keep their order")
            << QStringList{"Ala", "b", "ala", "ALA"} << QStringList{"Ala", "ala", "ALA", "b"};
        QTest::newRow("tag text sorts as the name itself")
            << QStringList{"<n>x</n>", "(nawias)", "&"} << QStringList{"&", "(nawias)", "<n>x</n>"};
    }

    void sortsByName()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        SeedReversed(names);
        TForm1& form = fx->Start();
        QCOMPARE(CategoryNames(form), names);

        QStringList listed;
        RunOrder(form, [&](TForm4& dialog) {
            QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
            listed = Names(*dialog.ListBox1);
            QTest::mouseClick(dialog.BitBtn5, Qt::LeftButton);
        });

        QCOMPARE(listed, sorted);
        QStringList stored;
        for (int k = 0; k < sorted.size(); ++k)
            stored << sorted[k] + QLatin1Char('@') + QString::number(k);
        QCOMPARE(StoredOrder(*fx), stored);
        QCOMPARE(CategoryNames(form), sorted);
    }

    void movesStillWorkAfterTheSort()
    {
        SeedReversed({"c", "a", "b"});
        TForm1& form = fx->Start();
        QStringList listed;
        RunOrder(form, [&](TForm4& dialog) {
            QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
            SelectRows(dialog, {0}, 0);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            listed = Names(*dialog.ListBox1);
            QTest::mouseClick(dialog.BitBtn5, Qt::LeftButton);
        });
        QCOMPARE(listed, (QStringList{"b", "c", "a"}));
        QCOMPARE(StoredOrder(*fx), (QStringList{"b@0", "c@1", "a@2"}));
    }

    void leavingSavesOnlyOnOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("chosenRow");  // main list row; -1 the last row, -2 none
        QTest::addColumn<bool>("saves");
        QTest::newRow("OK, a moved category chosen") << "OK" << 4 << true;
        QTest::newRow("OK, a category left in place") << "OK" << 1 << true;
        QTest::newRow("OK, nothing chosen") << "OK" << -2 << true;
        QTest::newRow("OK, Wszystkie chosen") << "OK" << -1 << true;
        QTest::newRow("OK, Bez kategorii chosen") << "OK" << 0 << true;
        QTest::newRow("Anuluj") << "Anuluj" << 4 << false;
        QTest::newRow("Anuluj, nothing chosen") << "Anuluj" << -2 << false;
        QTest::newRow("Escape") << "Escape" << 4 << false;
        QTest::newRow("close box") << "close" << 4 << false;
        QTest::newRow("Enter on a focused OK") << "Enter on OK" << 4 << true;
        QTest::newRow("Enter on a focused Anuluj") << "Enter on Anuluj" << 4 << false;
    }

    void leavingSavesOnlyOnOk()
    {
        QFETCH(QString, how);
        QFETCH(int, chosenRow);
        QFETCH(bool, saves);
        SeedFive();
        TForm1& form = fx->Start();
        if (chosenRow == -1)
            chosenRow = form.ListBox2->Count() - 1;
        Choose(form, chosenRow);
        const std::vector<int> ids = RowIds(*form.ListBox2);
        const int chosenId = chosenRow < 0 ? 0 : ids[static_cast<size_t>(chosenRow)];
        const QStringList stored = StoredOrder(*fx);

        RunOrder(form, [&](TForm4& dialog) {
            SelectRows(dialog, {3}, 3);  // "4" one place up
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            if (how == "OK")
                QTest::mouseClick(dialog.BitBtn5, Qt::LeftButton);
            else if (how == "Anuluj")
                QTest::mouseClick(dialog.BitBtn4, Qt::LeftButton);
            else if (how == "Escape")
                QTest::keyClick(dialog.ListBox1, Qt::Key_Escape);
            else if (how.startsWith("Enter on")) {
                QPushButton* button = how == "Enter on OK" ? dialog.BitBtn5 : dialog.BitBtn4;
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Enter);
            } else
                dialog.close();
        });

        const QStringList order = saves ? QStringList{"1", "2", "4", "3", "5"} : QStringList{"1", "2", "3", "4", "5"};
        if (saves)
            QCOMPARE(StoredOrder(*fx), (QStringList{"1@0", "2@1", "4@2", "3@3", "5@4"}));
        else
            QCOMPARE(StoredOrder(*fx), stored);
        QCOMPARE(CategoryNames(form), order);
        const std::vector<int> idsAfter = RowIds(*form.ListBox2);
        const auto place = std::find(idsAfter.begin(), idsAfter.end(), chosenId);
        QVERIFY(place != idsAfter.end());
        const int row = static_cast<int>(place - idsAfter.begin());
        QCOMPARE(form.ListBox2->ItemIndex(), row);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{row});
        QCOMPARE(form.Busy, false);
    }

    void namesAreShownAsStored()
    {
        const QStringList names{"<n>x</n> & <d>", "A &amp; B", "a<b", "Żółw"};
        for (const QString& name : names)
            fx->AddCategory(name.toStdString());
        TForm1& form = fx->Start();
        QCOMPARE(PaintedTexts(*form.ListBox2, 1, 1), names);

        QStringList shown;
        RunOrder(form, [&](TForm4& dialog) {
            shown = PaintedTexts(*dialog.ListBox1);
            SelectRows(dialog, {0}, 0);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            QTest::mouseClick(dialog.BitBtn5, Qt::LeftButton);
        });

        QCOMPARE(shown, names);
        const auto stored = fx->Query("SELECT NAME FROM CATEGS ORDER BY POS");
        QCOMPARE(stored.size(), size_t(4));
        const std::vector<int> order{1, 0, 2, 3};
        for (size_t k = 0; k < order.size(); ++k)
            QCOMPARE(stored[k][0], Cp(names[order[k]].toStdString()));
        QCOMPARE(PaintedTexts(*form.ListBox2, 1, 1), (QStringList{names[1], names[0], names[2], names[3]}));
    }
};

QTEST_MAIN(CategoryOrderDialogTest)
#include "CategoryOrderDialogTest.moc"
