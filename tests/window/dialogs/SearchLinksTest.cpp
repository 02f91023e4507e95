// "Szukaj linków w kategorii": the dialog, its keys and the rows the search
// selects in the shown links.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "platform/Cp1250.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/SearchLinksDialog.h"

using platform::BoxKind;

namespace {

// The links of the searched category, in list order: link, description.
const std::pair<const char*, const char*> kLinks[] = {
    {"http://łódź.pl", "Miasto"},          // 0
    {"http://ŁÓDŹ.PL", "inne"},            // 1
    {"http://a.pl/xyz", "łódź w opisie"},  // 2
    {"a&b.pl", "x</d>y"},                  // 3
    {"http://krakow.pl", ""},              // 4
    {"xyz.pl", ""},                        // 5
    {"ftp://c", "d"},                      // 6
    {"e", "f"},                            // 7
    {"g", "h"},                            // 8
    {"xyz9", "&amp;"},                     // 9
};

struct Options {
    QString text;
    bool links = true;
    bool descriptions = false;
    bool caseSensitive = false;
};

}  // namespace

class SearchLinksTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int cities = 0, empty = 0;

    TForm1& StartOn(int categoryRow)
    {
        TForm1& form = fx->Start();
        ChooseCategory(form, categoryRow);
        return form;
    }

    // Runs the command; the dialog gets the options and then act (by default
    // a click on "Szukaj").
    static ModalRun Search(
        TForm1& form, const Options& options,
        const std::function<void(TForm8&)>& act = [](TForm8& d) { QTest::mouseClick(d.BitBtn1, Qt::LeftButton); })
    {
        return RunModal<TForm8>([&form] { form.Szukajlinkuwkategorii1Click(); },
                                [&](TForm8& dialog) {
                                    QVERIFY(form.Busy);
                                    dialog.Edit1->setText(options.text);
                                    dialog.CheckBox1->setChecked(options.links);
                                    dialog.CheckBox2->setChecked(options.descriptions);
                                    dialog.CheckBox3->setChecked(options.caseSensitive);
                                    act(dialog);
                                });
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        cities = fx->AddCategory("Miasta");
        empty = fx->AddCategory("Pusta");
        for (const auto& [link, descr] : kLinks)
            fx->AddLink(cities, link, descr);
    }
    void cleanup() { EndFixture(fx); }

    void looksAsDesignedAndStartsFromTheSettings()
    {
        TForm1& form = StartOn(1);
        QCOMPARE(form.Szukajlinkuwkategorii1->text(), QString::fromUtf8("Szukaj linków w kategorii"));
        // The window starts with links searched, case ignored.
        QVERIFY(form.SearchInLinks && !form.SearchInDescriptions && !form.SearchCaseSensitive);
        form.SearchText = Cp("Zażółć");
        form.SearchInLinks = false;
        form.SearchInDescriptions = true;
        form.SearchCaseSensitive = true;
        const ModalRun run = RunModal<TForm8>(
            [&form] { form.Szukajlinkuwkategorii1->trigger(); },
            [](TForm8& d) {
                QCOMPARE(d.windowTitle(), QStringLiteral("Szukaj"));
                QCOMPARE(d.size(), QSize(485, 152));
                QVERIFY(d.windowFlags() & Qt::WindowCloseButtonHint);
                QVERIFY(!(d.windowFlags() & Qt::WindowMinMaxButtonsHint));
                QCOMPARE(d.GroupBox1->title(), QString::fromUtf8("Szukany tekst :"));
                QCOMPARE(d.CheckBox1->text(), QString::fromUtf8("Szukaj w linkach"));
                QCOMPARE(d.CheckBox2->text(), QString::fromUtf8("Szukaj w opisach"));
                QCOMPARE(d.CheckBox3->text(), QString::fromUtf8("Uwzględniaj wielkość liter"));
                QCOMPARE(d.BitBtn1->text(), QString::fromUtf8("Szukaj"));
                QCOMPARE(d.BitBtn2->text(), QString::fromUtf8("Anuluj"));
                for (QPushButton* button : {d.BitBtn1, d.BitBtn2})
                    QVERIFY(!button->isDefault() && !button->autoDefault());
                QCOMPARE(d.Edit1->text(), QString::fromUtf8("Zażółć"));
                QVERIFY(!d.CheckBox1->isChecked() && d.CheckBox2->isChecked() && d.CheckBox3->isChecked());
            });
        QVERIFY(run.opened);
    }

    void selectsExactlyTheMatchingRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("links");
        QTest::addColumn<bool>("descriptions");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<std::vector<int>>("rows");
        QTest::addColumn<int>("focus");

        QTest::newRow("capitals find small letters, case ignored")
            << "ŁÓDŹ" << true << false << false << std::vector<int>{0, 1} << 1;
        QTest::newRow("small letters find capitals, case ignored")
            << "łódź" << true << false << false << std::vector<int>{0, 1} << 1;
        QTest::newRow("one differing letter finds nothing, case respected")
            << "łódŹ" << true << false << true << std::vector<int>{} << 4;
        QTest::newRow("exact bytes, case respected") << "ŁÓDŹ" << true << false << true << std::vector<int>{1} << 1;
        QTest::newRow("descriptions only") << "łódź" << false << true << false << std::vector<int>{2} << 2;
        QTest::newRow("links and descriptions") << "łódź" << true << true << false << std::vector<int>{0, 1, 2} << 2;
        QTest::newRow("a match in both fields counts once")
            << "xyz" << true << true << false << std::vector<int>{2, 5, 9} << 9;
        QTest::newRow("rows 2, 5 and 9, the focus on the last")
            << "xyz" << true << false << false << std::vector<int>{2, 5, 9} << 9;
        QTest::newRow("an ampersand") << "&" << true << true << false << std::vector<int>{3, 9} << 9;
        QTest::newRow("a closing tag in a description") << "</d>" << false << true << false << std::vector<int>{3} << 3;
        QTest::newRow("an empty text selects nothing") << "" << true << true << false << std::vector<int>{} << 4;
    }

    void selectsExactlyTheMatchingRows()
    {
        QFETCH(QString, text);
        QFETCH(bool, links);
        QFETCH(bool, descriptions);
        QFETCH(bool, caseSensitive);
        QFETCH(std::vector<int>, rows);
        QFETCH(int, focus);
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {4}, 4);  // a row that matches nothing is deselected
        const ModalRun run = Search(form, {text, links, descriptions, caseSensitive});
        QVERIFY(run.opened && !run.leftOpen);
        QCOMPARE(SelectedRows(*form.ListBox1), rows);
        QCOMPARE(form.ListBox1->ItemIndex(), focus);
        QVERIFY(!form.Busy);
        QVERIFY(!form.SearchRequested);
        QCOMPARE(form.SearchInLinks, links);
        QCOMPARE(form.SearchInDescriptions, descriptions);
        QCOMPARE(form.SearchCaseSensitive, caseSensitive);
        // Ignoring case leaves the text in small letters.
        const std::string typed = Cp(text.toStdString());
        QCOMPARE(form.SearchText, caseSensitive ? typed : platform::LowerCase(typed));
        QCOMPARE(form.ListBox1->Lines().size(), std::size(kLinks));  // nothing else changed
    }

    void neitherOptionKeepsTheDialogOpen()
    {
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {4}, 4);
        bool stayedOpen = false;
        const ModalRun run = Search(form, {QStringLiteral("xyz"), false, false, true}, [&](TForm8& d) {
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
            stayedOpen = d.isVisible();
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(1));
            QCOMPARE(asked[0].kind, BoxKind::MessageBox);
            QCOMPARE(asked[0].text, QString::fromUtf8("Należy zaznaczyć którąś opcję szukania"));
            QCOMPARE(asked[0].caption, QStringLiteral("Informacja"));
            QCOMPARE(asked[0].flags, 0x30u);
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen && stayedOpen);
        QCOMPARE(form.SearchText, std::string());
        QVERIFY(form.SearchInLinks && !form.SearchCaseSensitive);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{4});
    }

    void cancellingChangesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Anuluj") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape in the edit") << "escape";
    }

    void cancellingChangesNothing()
    {
        QFETCH(QString, how);
        TForm1& form = StartOn(1);
        SelectLinkRows(form, {3, 4}, 3);
        form.SearchText = Cp("Łódź");
        const ModalRun run = Search(form, {QStringLiteral("xyz"), false, true, true}, [&](TForm8& d) {
            if (how == "cancel")
                QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
            else if (how == "close")
                d.close();
            else
                QTest::keyClick(d.Edit1, Qt::Key_Escape);
        });
        QVERIFY(run.opened && !run.leftOpen);
        QCOMPARE(SelectedRows(*form.ListBox1), (std::vector<int>{3, 4}));
        QCOMPARE(form.ListBox1->ItemIndex(), 3);
        QCOMPARE(form.SearchText, Cp("Łódź"));
        QVERIFY(form.SearchInLinks && !form.SearchInDescriptions && !form.SearchCaseSensitive);
        QVERIFY(!form.Busy && !form.SearchRequested);
    }

    void enterInTheEditSearchesAndOtherKeysElsewhereDoNothing()
    {
        TForm1& form = StartOn(1);
        bool openAfterKeys = false;
        const ModalRun run = Search(form, {QStringLiteral("xyz")}, [&](TForm8& d) {
            d.CheckBox1->setFocus();
            QTest::keyClick(d.CheckBox1, Qt::Key_Escape);
            QTest::keyClick(d.CheckBox1, Qt::Key_Return);
            openAfterKeys = d.isVisible();
            QTest::keyClick(d.Edit1, Qt::Key_Return);
        });
        QVERIFY(run.opened && !run.leftOpen && openAfterKeys);
        QCOMPARE(SelectedRows(*form.ListBox1), (std::vector<int>{2, 5, 9}));
    }

    void anEmptyListKeepsTheTextsCase()
    {
        TForm1& form = StartOn(2);
        QCOMPARE(form.ListBox1->Count(), 0);
        const ModalRun run = Search(form, {QString::fromUtf8("ŁÓDŹ")});
        QVERIFY(run.opened && !run.leftOpen);
        QCOMPARE(form.SearchText, Cp("ŁÓDŹ"));
        QVERIFY(SelectedRows(*form.ListBox1).empty());
        QVERIFY(!form.Busy);
    }

    void theNextSearchStartsFromTheLastOne()
    {
        TForm1& form = StartOn(1);
        Search(form, {QString::fromUtf8("ŁÓDŹ"), true, true, false});
        const ModalRun run = RunModal<TForm8>([&form] { form.Szukajlinkuwkategorii1Click(); },
                                              [](TForm8& d) {
                                                  QCOMPARE(d.Edit1->text(), QString::fromUtf8("łódź"));
                                                  QVERIFY(d.CheckBox1->isChecked() && d.CheckBox2->isChecked() &&
                                                          !d.CheckBox3->isChecked());
                                                  QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
                                              });
        QVERIFY(run.opened && !run.leftOpen);
    }
};

QTEST_MAIN(SearchLinksTest)
#include "SearchLinksTest.moc"
