// The owner drawing of both lists, checked on rendered pixels: row colours,
// row images, the description column, and the column header's width rule.
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include "tests/window/WindowFixture.h"
#include "window/widgets/RowPainting.h"

namespace {

constexpr int kRowHeight = 18;

QImage Render(LineListBox& box)
{
    return box.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A pixel of row `row` near the list's right edge, where no text is drawn.
QColor RowBackground(const QImage& image, int row)
{
    return image.pixelColor(image.width() - 4, row * kRowHeight + kRowHeight / 2);
}

// Whether the 16 x 16 block at (x, y) holds exactly the image drawn on the
// row's colour.
bool HoldsImage(const QImage& rendered, int x, int y, const platform::ImageList& images, int index,
                const QColor& background)
{
    QImage expected(16, 16, QImage::Format_RGB32);
    expected.fill(background);
    QPainter painter(&expected);
    images.Draw(painter, 0, 0, index);
    painter.end();
    return rendered.copy(x, y, 16, 16) == expected;
}

bool BlockIs(const QImage& image, const QRect& block, const QColor& colour)
{
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}

bool BlockHasOtherThan(const QImage& image, const QRect& block, const QColor& colour)
{
    return !BlockIs(image, block, colour);
}

}  // namespace

class DrawingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void darkerColours_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QColor>("darker");
        QTest::newRow("link list") << QColor(255, 255, 249) << QColor(249, 249, 243);
        QTest::newRow("white") << QColor(255, 255, 255) << QColor(249, 249, 249);
        QTest::newRow("selection") << QColor(215, 234, 255) << QColor(209, 228, 249);
        QTest::newRow("wraps below 0") << QColor(3, 6, 0) << QColor(253, 0, 250);
    }

    void darkerColours()
    {
        QFETCH(QColor, colour);
        QFETCH(QColor, darker);
        QCOMPARE(rows::Darker(colour), darker);
    }

    void linkImages_data()
    {
        QTest::addColumn<QByteArray>("link");
        QTest::addColumn<int>("image");
        QTest::newRow("ed2k") << QByteArray("ed2k://|file|a|1|") << 13;
        QTest::newRow("http") << QByteArray("http://a.pl") << 7;
        QTest::newRow("https") << QByteArray("https://a.pl") << 7;
        QTest::newRow("www") << QByteArray("www.a.pl") << 7;
        QTest::newRow("one character before www") << QByteArray("xwww.a.pl") << 7;
        QTest::newRow("two characters before www") << QByteArray("xxwww.a.pl") << -1;
        QTest::newRow("upper case HTTP") << QByteArray("HTTP://a.pl") << -1;
        QTest::newRow("upper case ED2K") << QByteArray("ED2K://x") << -1;
        QTest::newRow("other scheme") << QByteArray("ftp://a.pl") << -1;
        QTest::newRow("short, tested whole") << QByteArray("www") << 7;
        QTest::newRow("shorter than the word") << QByteArray("ww") << -1;
        QTest::newRow("empty") << QByteArray("") << -1;
    }

    void linkImages()
    {
        QFETCH(QByteArray, link);
        QFETCH(int, image);
        QCOMPARE(rows::LinkImage(link.toStdString()), image);
    }

    void rowColoursAlternateFromADarkerFirstRow()
    {
        for (int i = 0; i < 4; ++i)
            fx->AddLink(0, "http://r" + std::to_string(i) + ".pl");
        fx->WriteSettings("[Opcje]\r\nAktPoz=0\r\n");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.ListBox1->SetSelected(0, false);
        form.ListBox1->SetSelected(2, true);
        form.ListBox1->SetSelected(3, true);
        form.ListBox2->SetSelected(0, false);
        form.ListBox2->SetSelected(1, true);  // AllCategories, odd row, in a list of two
        QCoreApplication::processEvents();

        const QImage links = Render(*form.ListBox1);
        QCOMPARE(RowBackground(links, 0), QColor(249, 249, 243));  // even, unselected
        QCOMPARE(RowBackground(links, 1), QColor(255, 255, 249));  // odd, unselected
        QCOMPARE(RowBackground(links, 2), QColor(209, 228, 249));  // even, selected
        QCOMPARE(RowBackground(links, 3), QColor(215, 234, 255));  // odd, selected

        const QImage categories = Render(*form.ListBox2);
        QCOMPARE(RowBackground(categories, 0), QColor(249, 249, 249));
        QCOMPARE(RowBackground(categories, 1), QColor(215, 234, 255));
        // Below the rows the list shows its own colour.
        QCOMPARE(categories.pixelColor(categories.width() - 4, 3 * kRowHeight), QColor(255, 255, 255));
        QCOMPARE(links.pixelColor(links.width() - 4, 5 * kRowHeight), QColor(255, 255, 249));
    }

    void rowImages()
    {
        fx->AddLink(0, "ed2k://|file|a|1|", "");
        fx->AddLink(0, "http://a.pl", "");
        fx->AddLink(0, "zwykły tekst", "");
        fx->WriteSettings("[Opcje]\r\nAktPoz=0\r\n");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.ListBox1->SetSelected(0, false);
        form.ListBox2->SetSelected(0, false);
        QCoreApplication::processEvents();

        const QImage links = Render(*form.ListBox1);
        const QColor even(249, 249, 243), odd(255, 255, 249);
        QVERIFY(HoldsImage(links, 2, 1, form.ImageList1, 13, even));
        QVERIFY(HoldsImage(links, 2, kRowHeight + 1, form.ImageList1, 7, odd));
        QVERIFY(BlockIs(links, QRect(2, 2 * kRowHeight + 1, 16, 16), even));  // no image

        const QImage categories = Render(*form.ListBox2);
        QVERIFY(HoldsImage(categories, 2, 1, form.ImageList1, 21, QColor(249, 249, 249)));
        QVERIFY(HoldsImage(categories, 2, kRowHeight + 1, form.ImageList1, 21, QColor(255, 255, 255)));
    }

    void descriptionColumnCutsTheLink()
    {
        fx->AddLink(0, "http://" + std::string(200, 'w') + ".pl", "Opis linku");
        fx->AddLink(0, "http://" + std::string(200, 'w') + ".pl", "");
        fx->WriteSettings("[Opcje]\r\nAktPoz=0\r\nPasek=150\r\n");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.ListBox1->SetSelected(0, false);
        QCoreApplication::processEvents();

        const QImage links = Render(*form.ListBox1);
        const QColor even(249, 249, 243), odd(255, 255, 249);
        const int x2 = 2 + form.HeaderControl1->sectionSize(0) - 4;
        // The link runs up to the column edge...
        QVERIFY(BlockHasOtherThan(links, QRect(x2 - 30, 0, 30, kRowHeight), even));
        // ...and not past it: without a description the rest of the row is plain.
        QVERIFY(BlockIs(links, QRect(x2, kRowHeight, links.width() - x2, kRowHeight), odd));
        // Six pixels of gap, then the description.
        QVERIFY(BlockIs(links, QRect(x2, 0, 6, kRowHeight), even));
        QVERIFY(BlockHasOtherThan(links, QRect(x2 + 6, 0, 40, kRowHeight), even));
    }

    void resizingTheWindowKeepsTheDescriptionWidth()
    {
        fx->WriteSettings("[Opcje]\r\nPasek=150\r\nSzer=700\r\n");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.resize(900, form.height());
        QTRY_COMPARE(form.HeaderControl1->width() - form.HeaderControl1->sectionSize(0), 150);
        QCOMPARE(form.Pasek, 150);
    }

    void draggingTheDividerChangesPasek()
    {
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        form.HeaderControl1->resizeSection(0, 250);  // as the user's drag does
        QCOMPARE(form.Pasek, form.HeaderControl1->width() - 250);
        const int pasek = form.Pasek;
        form.resize(form.width() + 120, form.height());
        QTRY_COMPARE(form.HeaderControl1->sectionSize(0), 370);
        QCOMPARE(form.Pasek, pasek);
    }

    // A stored description column wider than the header is held to the
    // header's width: the link column is then empty.
    void aPasekWiderThanTheHeaderIsHeldToIt()
    {
        fx->WriteSettings("[Opcje]\r\nPasek=5000\r\n");
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        QCOMPARE(form.Pasek, form.HeaderControl1->width());
        QCOMPARE(form.HeaderControl1->sectionSize(0), 0);
    }
};

QTEST_MAIN(DrawingTest)
#include "DrawingTest.moc"
