// "Szukaj linków w katalogu": the dialog on a real catalogue file, its
// matching, going to a hit, opening, copying and deleting hits, and the main
// window's reload afterwards.
#include <sqlite3.h>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QtTest>

#include "platform/Clipboard.h"
#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/QtText.h"
#include "platform/testing/TestClipboard.h"
#include "store/Funcs.h"
#include "tests/window/ListGestures.h"
#include "tests/window/WindowFixture.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/dialogs/CatalogueSearchDialog.h"

using platform::BoxAnswer;
using platform::BoxKind;

namespace {

struct Options {
    QString text;
    bool links = true;
    bool descriptions = false;
    bool caseSensitive = false;
};

// Sets the options and clicks "Szukaj".
void SearchIn(TForm9& dialog, const Options& options)
{
    dialog.Edit1->setText(options.text);
    dialog.CheckBox1->setChecked(options.links);
    dialog.CheckBox2->setChecked(options.descriptions);
    dialog.CheckBox3->setChecked(options.caseSensitive);
    QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
}

// The "<l>" of each result row, as UTF-8.
std::vector<std::string> RowLinks(const LineListBox& box)
{
    std::vector<std::string> links;
    for (const std::string& line : ListLines(box))
        links.push_back(platform::Cp1250ToUtf8(GetTagValue(line, "<l>")));
    return links;
}

// The result rows whose link is one of links (UTF-8), ascending.
std::vector<int> RowsOf(const LineListBox& box, const std::vector<std::string>& links)
{
    std::vector<int> rows;
    const std::vector<std::string> shown = RowLinks(box);
    for (int row = 0; row < static_cast<int>(shown.size()); ++row)
        if (std::find(links.begin(), links.end(), shown[row]) != links.end())
            rows.push_back(row);
    return rows;
}

std::string LinkOfRow(const LineListBox& box, int row)
{
    return platform::Cp1250ToUtf8(GetTagValue(box.Item(row), "<l>"));
}

using Strings = std::vector<std::string>;

}  // namespace

class CatalogueSearchTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;
    int cities = 0, other = 0;
    int lodzId = 0, stolId = 0, looseId = 0, orphanId = 0;
    platform::RecordingOpener* opened = nullptr;

    TForm1& StartOn(int categoryRow)
    {
        TForm1& form = fx->Start();
        opened = &fx->RecordOpens();
        ChooseCategory(form, categoryRow);
        return form;
    }

    // The window's clipboard becomes a test one, holding no text.
    static platform::TestClipboard* GiveTestClipboard(TForm1& form)
    {
        auto clipboard = std::make_unique<platform::TestClipboard>();
        platform::TestClipboard* held = clipboard.get();
        form.SetClipboard(std::move(clipboard));
        return held;
    }

    static ModalRun Catalogue(TForm1& form, const std::function<void(TForm9&)>& act)
    {
        return RunModal<TForm9>([&form] { form.Szukaj1Click(); }, act);
    }

    // The links a search lists, in list order.
    Strings Found(TForm1& form, const Options& options)
    {
        Strings links;
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, options);
            links = RowLinks(*d.ListBox1);
        });
        [&] { QVERIFY(run.opened); }();
        return links;
    }

    int StoredCount(const std::string& where = "1")
    {
        return std::stoi(fx->Query("SELECT COUNT(*) FROM LINKS WHERE " + where).front().front());
    }

private slots:
    void init()
    {
        fx = std::make_unique<WindowFixture>();
        cities = fx->AddCategory("Miasta");
        other = fx->AddCategory("Inne");
        lodzId = fx->AddLink(cities, "http://łódź.pl", "Miasto łódź");
        fx->AddLink(cities, "http://ŁÓDŹ.pl", "");
        fx->AddLink(cities, "Łódź", "");
        fx->AddLink(other, "http://x", "stół");
        fx->AddLink(other, "abc", "");
        stolId = fx->AddLink(other, "stół", "");
        looseId = fx->AddLink(0, "ę", "Ó");
        orphanId = fx->AddLink(99, "http://sierota.pl", "bez kategorii w bazie");
    }
    void cleanup() { EndFixture(fx); }

    void looksAsDesigned()
    {
        TForm1& form = StartOn(1);
        QCOMPARE(form.Szukaj1->text(), QString::fromUtf8("Szukaj linków w katalogu"));
        QCOMPARE(form.Szukaj1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
        QCOMPARE(form.ToolButton29->toolTip(), QString::fromUtf8("Szukaj linków w katalogu"));
        const ModalRun run = Catalogue(form, [&form](TForm9& d) {
            QVERIFY(form.Busy);
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Szukaj w katalogu :"));
            QCOMPARE(d.size(), QSize(547, 410));
            QVERIFY(d.minimumSize() != d.maximumSize());  // sizeable
            QCOMPARE(d.BitBtn3->text(), QString::fromUtf8("Szukaj"));
            QCOMPARE(d.BitBtn3->width(), 100);
            QCOMPARE(d.CheckBox1->text(), QString::fromUtf8("Przeszukiwanie linków"));
            QCOMPARE(d.CheckBox2->text(), QString::fromUtf8("Przeszukiwanie opisów"));
            QCOMPARE(d.CheckBox3->text(), QString::fromUtf8("Uwzględniaj wielkość liter"));
            QVERIFY(d.CheckBox1->isVisible() && d.CheckBox2->isVisible() && !d.CheckBox3->isVisible());
            QCOMPARE(d.BitBtn2->text(), QString::fromUtf8("Anuluj"));
            QCOMPARE(d.BitBtn1->text(), QString::fromUtf8("Przejdź do kategorii"));
            QCOMPARE(d.BitBtn2->width(), 75);
            QCOMPARE(d.BitBtn1->width(), 162);
            QVERIFY(!d.BitBtn1->isEnabled());
            QVERIFY(d.BitBtn2->x() < d.BitBtn1->x());
            for (QPushButton* button : {d.BitBtn1, d.BitBtn2, d.BitBtn3})
                QVERIFY(!button->isDefault() && !button->autoDefault());
            QCOMPARE(d.Edit1->font().pixelSize(), 12);
            QCOMPARE(d.Edit1->palette().color(QPalette::Text), QColor(0, 0, 128));
            // Started from the window's settings: links searched, case ignored.
            QVERIFY(d.CheckBox1->isChecked() && !d.CheckBox2->isChecked() && !d.CheckBox3->isChecked());

            QHeaderView& header = *d.HeaderControl1;
            QCOMPARE(header.count(), 3);
            QCOMPARE(header.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Kategoria"));
            QCOMPARE(header.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Znalezione linki"));
            QCOMPARE(header.model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Opis"));
            QCOMPARE(header.sectionSize(0), 150);
            QCOMPARE(header.sectionSize(2), 150);
            QCOMPARE(header.sectionSize(0) + header.sectionSize(1) + header.sectionSize(2), header.width());
            QVERIFY(!header.sectionsClickable());
            QCOMPARE(header.height(), 17);
            QCOMPARE(d.ListBox1->ItemHeight(), 18);
            QCOMPARE(d.ListBox1->Color(), QColor(255, 255, 249));
            QCOMPARE(d.ListBox1->font().pixelSize(), 11);

            QStringList captions;
            for (QAction* item : d.PopupMenu1->actions())
                captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
            QCOMPARE(captions,
                     (QStringList{QString::fromUtf8("Otwórz link(i) w domyślnym programie"), "-",
                                  "Kopiuj zaznaczone linki do schowka", "Kpiuj zaznaczone opisy do schowka", "-",
                                  QString::fromUtf8("Usuń wybrane linki z katalogu")}));
            // A wider window gives the change to the middle column.
            d.resize(747, 410);
            QCoreApplication::processEvents();
            QCOMPARE(header.sectionSize(0), 150);
            QCOMPARE(header.sectionSize(2), 150);
            QCOMPARE(header.sectionSize(1), header.width() - 300);
        });
        QVERIFY(run.opened);
        QVERIFY(!form.Busy);
    }

    void matchesProgramTextByteByByte_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<Strings>("links");

        QTest::newRow("łódź, case ignored") << "łódź" << false << Strings{"http://łódź.pl", "http://ŁÓDŹ.pl", "Łódź"};
        QTest::newRow("ŁÓDŹ, case ignored") << "ŁÓDŹ" << false << Strings{"http://łódź.pl", "http://ŁÓDŹ.pl", "Łódź"};
        QTest::newRow("łódź, case respected") << "łódź" << true << Strings{"http://łódź.pl"};
        QTest::newRow("HTTP, case respected") << "HTTP" << true << Strings{};
        QTest::newRow("ł finds stół") << "ł" << true << Strings{"http://łódź.pl", "stół"};
        QTest::newRow("ó finds neither ę nor Ó") << "ó" << true << Strings{"http://łódź.pl", "Łódź", "stół"};
        QTest::newRow("a_c finds abc") << "a_c" << true << Strings{"abc"};
        QTest::newRow("st_ł finds stół") << "st_ł" << false << Strings{"stół"};
        QTest::newRow("a quote is searched literally") << "'" << false << Strings{};
    }

    void matchesProgramTextByteByByte()
    {
        QFETCH(QString, text);
        QFETCH(bool, caseSensitive);
        QFETCH(Strings, links);
        TForm1& form = StartOn(1);
        // "ó" in the descriptions too: the uncategorised "Ó" is no hit.
        const bool descriptions = text == QString::fromUtf8("ó");
        Strings expected = links;
        if (descriptions)  // the descriptions "Miasto łódź" and "stół"
            expected.insert(expected.end(), {"http://łódź.pl", "http://x"});
        QCOMPARE(Found(form, {text, true, descriptions, caseSensitive}), expected);
    }

    void anEmptyTextListsEveryLinkOncePerOption()
    {
        TForm1& form = StartOn(1);
        const int total = StoredCount();
        QCOMPARE(static_cast<int>(Found(form, {QString(), true, false}).size()), total);
        QCOMPARE(static_cast<int>(Found(form, {QString(), false, true}).size()), total);
        const Strings both = Found(form, {QString(), true, true});
        QCOMPARE(static_cast<int>(both.size()), 2 * total);
        QCOMPARE(Strings(both.begin(), both.begin() + total), Strings(both.begin() + total, both.end()));
    }

    void aDoubleMatchIsListedTwiceLinkHitsFirst()
    {
        TForm1& form = StartOn(1);
        QCOMPARE(Found(form, {QString::fromUtf8("łódź"), true, true}),
                 (Strings{"http://łódź.pl", "http://ŁÓDŹ.pl", "Łódź", "http://łódź.pl"}));
    }

    void rowsCarryTheirCategory()
    {
        TForm1& form = StartOn(1);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString()});
            for (const std::string& line : ListLines(*d.ListBox1)) {
                const int catId = StrToInt(GetTagValue(line, "<c>"));
                const std::string name = GetTagValue(line, "<k>");
                if (catId == cities)
                    QCOMPARE(name, std::string("Miasta"));
                else if (catId == other)
                    QCOMPARE(name, std::string("Inne"));
                else  // "Bez kategorii" and a category that is not stored: an empty column
                    QVERIFY(name.empty() && GetTagValue(line, "<j>").empty());
            }
            QVERIFY(d.BitBtn1->isEnabled());
        });
    }

    void writesTheChoicesBackAndTheTextAsTyped()
    {
        TForm1& form = StartOn(1);
        std::string queryText;
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString::fromUtf8("ŁÓDŹ"), false, true, false});
            queryText = d.QueryText;
            SearchIn(d, {QString::fromUtf8("nic takiego")});
            QVERIFY(!d.BitBtn1->isEnabled());  // nothing found
            SearchIn(d, {QString::fromUtf8("ŁÓDŹ"), false, true, false});
        });
        QCOMPARE(queryText, Cp("łódź"));  // sent in small letters
        QCOMPARE(form.SearchText, Cp("ŁÓDŹ"));
        QVERIFY(!form.SearchInLinks && form.SearchInDescriptions && !form.SearchCaseSensitive);

        // The search in the shown links starts from the same choices, and the
        // catalogue search again from its case setting.
        form.SearchCaseSensitive = true;
        Catalogue(form, [&](TForm9& d) {
            QCOMPARE(d.Edit1->text(), QString::fromUtf8("ŁÓDŹ"));
            QVERIFY(!d.CheckBox1->isChecked() && d.CheckBox2->isChecked() && d.CheckBox3->isChecked());
            QTest::keyClick(d.Edit1, Qt::Key_Return);  // Enter searches too
            queryText = d.QueryText;
        });
        QCOMPARE(queryText, Cp("ŁÓDŹ"));
    }

    void neitherOptionAsksAndChangesNothing()
    {
        TForm1& form = StartOn(1);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QStringLiteral("abc")});
            SearchIn(d, {QStringLiteral("x"), false, false});
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(1));
            QCOMPARE(asked[0].kind, BoxKind::MessageBox);
            QCOMPARE(asked[0].text, QString::fromUtf8("Należy zaznaczyć jedną z opcji szukania"));
            QCOMPARE(asked[0].caption, QStringLiteral("Informacja"));
            QCOMPARE(asked[0].flags, 0x30u);
            QCOMPARE(RowLinks(*d.ListBox1), Strings{"abc"});
            QVERIFY(d.isVisible());
        });
        QVERIFY(run.leftOpen);
        QCOMPARE(form.SearchText, std::string("abc"));
        QVERIFY(form.SearchInLinks);
    }

    void escapeDoesNothing()
    {
        TForm1& form = StartOn(1);
        bool open = false;
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            QTest::keyClick(d.Edit1, Qt::Key_Escape);
            d.ListBox1->setFocus();
            QTest::keyClick(d.ListBox1, Qt::Key_Escape);
            open = d.isVisible();
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen && open);
    }

    void goesToAHit_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("category");
        QTest::newRow("in a stored category") << "Łódź"
                                              << "Miasta";
        QTest::newRow("in Bez kategorii") << "ę"
                                          << "Bez kategorii";
        QTest::newRow("whose category is gone") << "http://sierota.pl"
                                                << "Wszystkie";
    }

    void goesToAHit()
    {
        QFETCH(QString, link);
        QFETCH(QString, category);
        TForm1& form = StartOn(2);  // "Inne"
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString(), true, true});
            // The first selected row counts; the link's second row is later.
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {link.toStdString()}));
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen);
        const int categoryRow = form.ListBox2->ItemIndex();
        QCOMPARE(platform::ToQString(GetTagValue(form.ListBox2->Item(categoryRow), "<n>")), category);
        QCOMPARE(SelectedRows(*form.ListBox2), std::vector<int>{categoryRow});
        const std::vector<int> selected = SelectedRows(*form.ListBox1);
        QCOMPARE(selected.size(), std::size_t(1));
        QCOMPARE(form.ListBox1->ItemIndex(), selected.front());
        QCOMPARE(QString::fromStdString(LinkOfRow(*form.ListBox1, selected.front())), link);
        // The list shows the chosen category's links, with its commands.
        QCOMPARE(form.Usutenlink1->isVisible(), category != "Wszystkie");
        if (category == "Wszystkie")
            QCOMPARE(form.ListBox1->Count(), StoredCount());
        QVERIFY(!form.Busy);
    }

    void goingWithNothingSelectedAsks()
    {
        TForm1& form = StartOn(1);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString()});
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(1));
            QCOMPARE(asked[0].text, QString::fromUtf8("Brak zaznaczonych linków"));
            QCOMPARE(asked[0].caption, QStringLiteral("Informacja"));
            QCOMPARE(asked[0].flags, 0x30u);
            QVERIFY(d.isVisible());
        });
        QVERIFY(run.leftOpen);
        QCOMPARE(form.ListBox2->ItemIndex(), 1);
    }

    void opensTheSelectedHitsInListOrder()
    {
        TForm1& form = StartOn(1);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QStringLiteral("http")});
            QCOMPARE(RowLinks(*d.ListBox1),
                     (Strings{"http://łódź.pl", "http://ŁÓDŹ.pl", "http://x", "http://sierota.pl"}));
            d.ListBox1->SetSelectedRows({0, 3});
            d.ListBox1->SetItemIndex(3);
            d.Otwrzlinkiwdomylnymprogramie1->trigger();
            QCOMPARE(opened->Opened(), (QStringList{QString::fromUtf8("http://łódź.pl"), "http://sierota.pl"}));
            opened->Clear();
            d.ListBox1->setFocus();
            QTest::keyClick(d.ListBox1, Qt::Key_Return);
            QCOMPARE(opened->Opened(), (QStringList{QString::fromUtf8("http://łódź.pl"), "http://sierota.pl"}));
            QVERIFY(d.isVisible());  // Enter closes nothing
        });
    }

    // A hit that cannot be opened is said as the main window says it, on the
    // dialog, once for the command.
    void saysAHitThatCannotBeOpened_data()
    {
        QTest::addColumn<bool>("cannotStart");
        QTest::newRow("the opener cannot be started") << true;
        QTest::newRow("the opener fails later") << false;
    }
    void saysAHitThatCannotBeOpened()
    {
        QFETCH(bool, cannotStart);
        TForm1& form = StartOn(1);
        opened->SetCannotStart(cannotStart);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QStringLiteral("http")});
            d.ListBox1->SetSelectedRows({0, 2, 3});
            d.Otwrzlinkiwdomylnymprogramie1->trigger();
            if (!cannotStart)
                for (int failed : {1, 0})
                    opened->FailLater(failed);
            QVERIFY(fx->WaitForABox());
            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(1));
            const QString link = cannotStart ? QString::fromUtf8("http://łódź.pl") : QStringLiteral("http://x");
            QCOMPARE(asked[0].Describe(),
                     "MessageBox 'Nie można otworzyć linku :\n" + link + "' / 'Ostrzeżenie' flags 0x30");
            QCOMPARE(asked[0].owner, QStringLiteral("TForm9"));
        });
    }

    // The copies go to the main window's clipboard.
    void copiesThroughTheWindowsClipboard()
    {
        TForm1& form = StartOn(1);
        platform::TestClipboard* held = GiveTestClipboard(form);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QStringLiteral("http")});
            d.ListBox1->SetSelectedRows({0, 3});
            d.Kopiujzaznaczonelinkidoschowka1->trigger();
            QCOMPARE(held->Text(), QString::fromUtf8("http://łódź.pl\nhttp://sierota.pl"));
            d.Kpiujzaznaczoneopisydoschowka1->trigger();
            QCOMPARE(held->Text(), QString::fromUtf8("Miasto łódź\nbez kategorii w bazie"));
        });
    }

    // Links copied from the hits, some of which the clipboard monitor does
    // not take, are not offered back; a text copied after them is.
    void theMonitorDoesNotOfferCopiedHits()
    {
        TForm1& form = StartOn(1);
        platform::TestClipboard* held = GiveTestClipboard(form);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString()});
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {"http://łódź.pl", "Łódź", "http://x", "stół"}));
            d.Kopiujzaznaczonelinkidoschowka1->trigger();
        });
        QCOMPARE(held->Text(), QString::fromUtf8("http://łódź.pl\nŁódź\nhttp://x\nstół"));
        const auto offered = [&form] {
            return RunModal<TForm2>([&form] { form.Timer1Timer(); }, [](TForm2&) {}).opened;
        };
        QVERIFY(!offered());
        held->Hold(QStringLiteral("http://x\nhttp://nowy.pl"));
        QVERIFY(offered());
    }

    void copiesLinksAndDescriptions()
    {
        TForm1& form = StartOn(1);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString()});
            const std::vector<int> rows = RowsOf(*d.ListBox1, {"http://ŁÓDŹ.pl", "Łódź", "stół"});
            QCOMPARE(rows.size(), std::size_t(3));
            d.ListBox1->SetSelectedRows(rows);
            d.Kopiujzaznaczonelinkidoschowka1->trigger();
            QCOMPARE(SystemClipboardText(), Cp("http://ŁÓDŹ.pl\nŁódź\nstół"));
            // What the clipboard monitor takes from that text.
            QCOMPARE(form.LastImport, std::vector<std::string>{Cp("http://ŁÓDŹ.pl")});

            // Two empty descriptions give one line break between them.
            form.LastImport.clear();
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {"http://ŁÓDŹ.pl", "Łódź"}));
            d.Kpiujzaznaczoneopisydoschowka1->trigger();
            QCOMPARE(SystemClipboardText(), std::string("\n"));
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {"http://łódź.pl", "http://x", "ę"}));
            d.Kpiujzaznaczoneopisydoschowka1->trigger();
            QCOMPARE(SystemClipboardText(), Cp("Miasto łódź\nstół\nÓ"));
            QVERIFY(form.LastImport.empty());  // copying descriptions leaves it
        });
    }

    void deletesHitsAfterAskingAndTheWindowReloads()
    {
        TForm1& form = StartOn(1);  // "Miasta": łódź, ŁÓDŹ, Łódź
        SelectLinkRows(form, {2}, 2);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString::fromUtf8("łódź"), true, true});
            QCOMPARE(d.ListBox1->Count(), 4);  // "http://łódź.pl" twice
            d.ListBox1->SetSelectedRows({0, 1});

            fx->boxes.Script(BoxAnswer::Button(platform::IdNo));
            d.Usuwybranelinkizkatalogu1->trigger();
            auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(1));
            QCOMPARE(asked[0].text, QString::fromUtf8("Czy napewno usunąć link(i) :\nhttp://łódź.pl\nhttp://ŁÓDŹ.pl"));
            QCOMPARE(asked[0].caption, QStringLiteral("Zapytanie"));
            QCOMPARE(asked[0].flags, 0x34u);
            QCOMPARE(d.ListBox1->Count(), 4);
            QVERIFY(!d.LinksDeleted);
            QCOMPARE(StoredCount(), 8);

            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
            QVERIFY(d.LinksDeleted);
            // Gone from the file, and every row of them from the list.
            QCOMPARE(StoredCount(), 6);
            QCOMPARE(StoredCount("ID = " + std::to_string(lodzId)), 0);
            QCOMPARE(RowLinks(*d.ListBox1), Strings{"Łódź"});
            QVERIFY(SelectedRows(*d.ListBox1).empty());
            QVERIFY(d.BitBtn1->isEnabled());
            QVERIFY(d.isVisible());
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen);
        // The focused link "Łódź" stays chosen in the reloaded list.
        QCOMPARE(RowLinks(*form.ListBox1), Strings{"Łódź"});
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});
        QVERIFY(!form.Busy);
    }

    // A delete the store refuses (another program holds the catalogue past
    // the store's wait, or the file may not be written): said once, the hits
    // stay as they are stored, and the main window has nothing to reload.
    void aFailedDeleteKeepsTheHitsAsStored_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("locked") << "locked"
                                << "database is locked";
        QTest::newRow("read-only") << "read-only"
                                   << "attempt to write a readonly database";
    }
    void aFailedDeleteKeepsTheHitsAsStored()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        TForm1& form = StartOn(1);  // "Miasta"
        const std::vector<std::string> shown = ListLines(*form.ListBox1);
        const auto stored = fx->Query("SELECT * FROM LINKS ORDER BY ID");
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open((fx->SettingsFolder() + "dovra.db").c_str(), &other), SQLITE_OK);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString::fromUtf8("łódź"), true, true});
            const std::vector<std::string> hits = ListLines(*d.ListBox1);
            QCOMPARE(hits.size(), std::size_t(4));
            if (fault == "locked")
                QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
            else
                fx->MakeCatalogueReadOnly();
            d.ListBox1->SetSelectedRows({0, 1, 2, 3});
            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);

            const auto asked = fx->boxes.TakeAsked();
            QCOMPARE(asked.size(), std::size_t(2));  // the question, then the store's one message
            QCOMPARE(asked[1].kind, BoxKind::ShowMessage);
            QCOMPARE(asked[1].text, message);
            QCOMPARE(fx->Query("SELECT * FROM LINKS ORDER BY ID"), stored);
            QCOMPARE(ListLines(*d.ListBox1), hits);
            QVERIFY(!d.LinksDeleted);
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        sqlite3_close(other);
        QVERIFY(run.opened && !run.leftOpen);
        QCOMPARE(ListLines(*form.ListBox1), shown);
        QVERIFY(!form.Busy);
    }

    // A new search shows new hits: a range taken with Shift starts from the
    // first of them, not from where the hits of the search before were
    // clicked, also when the mouse moves a little during the Shift+click.
    void rangesInNewHitsStartFromTheFirst()
    {
        fx->AddLinks(other, 120, "h");
        TForm1& form = StartOn(0);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            LineListBox& hits = *d.ListBox1;
            SearchIn(d, {QStringLiteral("http://h")});
            QCOMPARE(hits.Count(), 120);
            QTest::mouseClick(hits.viewport(), Qt::LeftButton, {}, hits.RowRect(3).center());
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(&hits, Qt::Key_PageDown);

            SearchIn(d, {QStringLiteral("http://h1")});  // h1, h10 to h19, h100 to h120
            QCOMPARE(hits.Count(), 32);
            ShiftClickMoving(hits, hits.RowRect(8).center());
            QCOMPARE(SelectedRows(hits), RowsFromTo(0, 8));
            QTest::keyClick(&hits, Qt::Key_End, Qt::ShiftModifier);
            QCOMPARE(SelectedRows(hits).size(), std::size_t(32));
            QCOMPARE(SelectedRows(hits).front(), 0);
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen);
    }

    // All links, then a category, then a delete in the search: all links
    // chosen again leave out the deleted ones.
    void allLinksAfterADeleteInTheSearchAreTheStoredOnes()
    {
        TForm1& form = StartOn(0);
        const int all = form.ListBox2->Count() - 1;
        ChooseCategory(form, all);
        const int before = form.ListBox1->Count();
        QCOMPARE(before, StoredCount());
        ChooseCategory(form, 1);
        const ModalRun run = Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString::fromUtf8("stół"), true, true});
            d.ListBox1->SetSelectedRows({0});
            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            fx->boxes.TakeAsked();
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
        });
        QVERIFY(run.opened && !run.leftOpen);
        QCOMPARE(StoredCount(), before - 1);
        ChooseCategory(form, all);
        QCOMPARE(form.ListBox1->Count(), before - 1);
        QCOMPARE(StoredCount("ID = " + std::to_string(stolId)), 0);
        for (const std::string& line : ListLines(*form.ListBox1))
            QVERIFY(StrToInt(GetTagValue(line, "<i>")) != stolId);
    }

    void deletingTheFocusedLinkLeavesTheFirstRowChosen()
    {
        TForm1& form = StartOn(2);  // "Inne": http://x, abc, stół
        SelectLinkRows(form, {2}, 2);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString::fromUtf8("stół"), true, true});
            QCOMPARE(RowLinks(*d.ListBox1), (Strings{"stół", "http://x"}));
            d.ListBox1->SetSelectedRows({0});
            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            fx->boxes.TakeAsked();
            // Deleting every hit leaves "Przejdź do kategorii" enabled; it then asks.
            d.ListBox1->SetSelectedRows({0});
            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            fx->boxes.TakeAsked();
            QCOMPARE(d.ListBox1->Count(), 0);
            QVERIFY(d.BitBtn1->isEnabled());
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
            QCOMPARE(fx->boxes.TakeAsked().size(), std::size_t(1));
            d.close();
        });
        QCOMPARE(StoredCount("ID = " + std::to_string(stolId)), 0);
        QCOMPARE(RowLinks(*form.ListBox1), Strings{"abc"});
        QCOMPARE(form.ListBox1->ItemIndex(), 0);
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{0});
    }

    void aDeletionThenGoingToAHitKeepsTheFoundLink()
    {
        TForm1& form = StartOn(2);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QString()});
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {"abc"}));
            fx->boxes.Script(BoxAnswer::Button(platform::IdYes));
            d.Usuwybranelinkizkatalogu1->trigger();
            fx->boxes.TakeAsked();
            d.ListBox1->SetSelectedRows(RowsOf(*d.ListBox1, {"Łódź"}));
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
        });
        QCOMPARE(form.SelectedCategoryId(), cities);
        QCOMPARE(LinkOfRow(*form.ListBox1, form.ListBox1->ItemIndex()), std::string("Łódź"));
        QCOMPARE(SelectedRows(*form.ListBox1), std::vector<int>{form.ListBox1->ItemIndex()});
    }

    void worksUnderWszystkie()
    {
        TForm1& form = StartOn(-1);
        ChooseCategory(form, form.ListBox2->Count() - 1);
        QVERIFY(form.Szukaj1->isEnabled() && form.ToolButton29->isEnabled());
        QVERIFY(!form.Szukajlinkuwkategorii1->isEnabled());
        const ModalRun run = RunModal<TForm9>([&form] { form.ToolButton29->trigger(); },
                                              [](TForm9& d) { QTest::mouseClick(d.BitBtn2, Qt::LeftButton); });
        QVERIFY(run.opened && !run.leftOpen);
    }

    void drawsThreeColumns()
    {
        fx->AddLink(0, "ed2k://|file|a|1|", "");
        TForm1& form = StartOn(1);
        Catalogue(form, [&](TForm9& d) {
            SearchIn(d, {QStringLiteral("ed2k")});
            SearchIn(d, {QString::fromUtf8("ed2k")});
            d.ListBox1->SetSelectedRows({});
            QCoreApplication::processEvents();
            const QImage image = d.ListBox1->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            // The link's image starts at the category column's width minus 2.
            const int x = 2 + d.HeaderControl1->sectionSize(0) - 4;
            QImage expected(16, 16, QImage::Format_RGB32);
            expected.fill(QColor(249, 249, 243));  // the first row is a darker one
            QPainter painter(&expected);
            form.ImageList1.Draw(painter, 0, 0, 13);
            painter.end();
            QCOMPARE(image.copy(x, 1, 16, 16), expected);
        });
    }
};

QTEST_MAIN(CatalogueSearchTest)
#include "CatalogueSearchTest.moc"
