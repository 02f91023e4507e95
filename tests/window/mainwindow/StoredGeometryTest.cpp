// Hostile numbers in "dovra.ini": the window's size and place, the width of
// the description column, the monitor's interval and the category chosen at
// start. Whatever the file holds, the window starts, shows, and can be taken
// by its title bar on a screen. Run on two screens side by side: "primary"
// (0, 0, 1280 x 1024) and "right" (1280, 0, 800 x 600), so the desktop has a
// corner below the right screen that no screen shows.
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QtTest>

#include "platform/Timer.h"
#include "tests/window/WindowFixture.h"

namespace {

constexpr int kDesignWidth = 642;
constexpr int kDesignHeight = 420;
constexpr int kMinWidth = 640;
constexpr int kMinHeight = 470;

QRect Primary()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QRect Desktop()
{
    return QGuiApplication::primaryScreen()->availableVirtualGeometry();
}

// Whether the user can take the window by its title bar: a piece of its top
// edge, 40 pixels wide, lies on the available area of a screen.
bool Reachable(const QRect& frame)
{
    const QRect topEdge(frame.left(), frame.top() + 1, frame.width(), 1);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersected(topEdge).width() >= 40)
            return true;
    return false;
}

QString Describe(const QRect& r)
{
    return QStringLiteral("%1 %2 %3 x %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

using Probe = std::function<QVariant(TForm1&)>;

const std::map<QString, Probe>& Probes()
{
    static const std::map<QString, Probe> probes = {
        {"geometry", [](TForm1& f) { return QVariant(Describe(f.frameGeometry())); }},
        {"place", [](TForm1& f) { return QVariant(QStringLiteral("%1 %2").arg(f.x()).arg(f.y())); }},
        {"width", [](TForm1& f) { return QVariant(f.frameGeometry().width()); }},
        {"left of the screen", [](TForm1& f) { return QVariant(f.frameGeometry().x() < 0); }},
        {"Pasek", [](TForm1& f) { return QVariant(f.Pasek); }},
        {"Pasek is the header's width", [](TForm1& f) { return QVariant(f.Pasek == f.HeaderControl1->width()); }},
        {"section0", [](TForm1& f) { return QVariant(f.HeaderControl1->sectionSize(0)); }},
        {"section0 is the header's width",
         [](TForm1& f) { return QVariant(f.HeaderControl1->sectionSize(0) == f.HeaderControl1->width()); }},
        {"interval", [](TForm1& f) { return QVariant(f.Timer1->Interval()); }},
        {"categoryRow", [](TForm1& f) { return QVariant(f.ListBox2->ItemIndex()); }},
    };
    return probes;
}

}  // namespace

class StoredGeometryTest : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowFixture> fx;

private slots:
    void init() { fx = std::make_unique<WindowFixture>(); }
    void cleanup() { EndFixture(fx); }

    void screensAsConfigured()
    {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        QCOMPARE(Primary(), QRect(0, 0, 1280, 1024));
        QCOMPARE(Desktop(), QRect(0, 0, 2080, 1024));
    }

    void hostileValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("probe");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* name, const char* options, const char* probe, const QVariant& expected) {
            const QVariant shown =
                expected.typeId() == QMetaType::QRect ? QVariant(Describe(expected.toRect())) : expected;
            QTest::newRow(name) << QByteArray("[Opcje]\r\n") + options << QString::fromLatin1(probe) << shown;
        };
        const QRect desktop(0, 0, 2080, 1024);
        // A size below nothing is centred as nothing, then raised.
        const QRect smallest(1280 / 2, 1024 / 2, kMinWidth, kMinHeight);
        const QString designPlace =
            QStringLiteral("%1 %2").arg((1280 - kDesignWidth) / 2).arg((1024 - kDesignHeight) / 2);
        // The size: at least the minimum, at most the desktop.
        row("size 100000", "Szer=100000\r\nWys=100000\r\n", "geometry", desktop);
        row("size 2147483647", "Szer=2147483647\r\nWys=2147483647\r\n", "geometry", desktop);
        row("size 0x7FFFFFFF", "Szer=0x7FFFFFFF\r\nWys=0x7FFFFFFF\r\n", "geometry", desktop);
        row("size -2147483647", "Szer=-2147483647\r\nWys=-2147483647\r\n", "geometry", smallest);
        row("size $FFFFFFFF", "Szer=$FFFFFFFF\r\nWys=$FFFFFFFF\r\n", "geometry", smallest);
        row("size 0", "Szer=0\r\nWys=0\r\n", "geometry", smallest);
        row("size 0x80000000", "Szer=0x80000000\r\nWys=0x80000000\r\n", "place", designPlace);
        row("size not a number", "Szer=szeroko\r\nWys=99999999999\r\n", "place", designPlace);
        row("width of the desktop", "Szer=2080\r\nPolX=0\r\n", "width", 2080);
        // The place: kept while the title bar is on a screen, else brought
        // back onto the primary screen (as near to the stored place as fits).
        const auto placed = [](int x, int y) { return QRect(x, y, 700, 500); };
        const int right = 1280 - 700;
        const int bottom = 1024 - 500;
        const auto place = [&row](const char* name, const char* position, const QRect& expected) {
            row(name, (std::string("Szer=700\r\nWys=500\r\n") + position).c_str(), "geometry", expected);
        };
        place("place 2147483647", "PolX=2147483647\r\nPolY=2147483647\r\n", placed(right, bottom));
        place("place 0x7FFFFFFF", "PolX=0x7FFFFFFF\r\nPolY=0x7FFFFFFF\r\n", placed(right, bottom));
        place("place -2147483647", "PolX=-2147483647\r\nPolY=-2147483647\r\n", placed(0, 0));
        // The least int is what the window reads for a place not stored.
        place("place 0x80000000", "PolX=0x80000000\r\nPolY=0x80000000\r\n", placed((1280 - 700) / 2, (1024 - 500) / 2));
        place("place not a number", "PolX=lewo\r\nPolY=0x\r\n", placed((1280 - 700) / 2, (1024 - 500) / 2));
        place("on the right screen", "PolX=1400\r\nPolY=100\r\n", placed(1400, 100));
        place("below the right screen", "PolX=1400\r\nPolY=700\r\n", placed(right, bottom));
        // (The offscreen platform itself moves a frame that sticks out by
        // its own margin; it stays left of the screen.)
        row("partly left of the screen", "PolX=-50\r\nPolY=10\r\n", "left of the screen", true);
        place("title bar above the screen", "PolX=10\r\nPolY=-300\r\n", placed(10, 0));
        place("below every screen", "PolX=10\r\nPolY=5000\r\n", placed(10, bottom));
        row("huge size and place", "Szer=100000\r\nWys=100000\r\nPolX=100000\r\nPolY=-100000\r\n", "geometry", desktop);
        // The description column: between nothing and the header's width.
        row("Pasek 2147483647", "Pasek=2147483647\r\n", "Pasek is the header's width", true);
        row("Pasek 2147483647: no link column", "Pasek=2147483647\r\n", "section0", 0);
        row("Pasek 0x7FFFFFFF", "Pasek=0x7FFFFFFF\r\n", "Pasek is the header's width", true);
        row("Pasek -2147483648", "Pasek=-2147483648\r\n", "Pasek", 0);
        row("Pasek -2147483648: all the link column", "Pasek=-2147483648\r\n", "section0 is the header's width", true);
        row("Pasek -1", "Pasek=-1\r\n", "Pasek", 0);
        row("Pasek not a number", "Pasek=szeroko\r\n", "section0", 300);
        // The monitor's interval: 0 (never ticks), else 0.5 to 50 s.
        row("CzasMon 1", "CzasMon=1\r\n", "interval", 500);
        row("CzasMon 499", "CzasMon=499\r\n", "interval", 500);
        row("CzasMon 0", "CzasMon=0\r\n", "interval", 0);
        row("CzasMon 2147483647", "CzasMon=2147483647\r\n", "interval", 50000);
        row("CzasMon 0x7FFFFFFF", "CzasMon=0x7FFFFFFF\r\n", "interval", 50000);
        row("CzasMon -2147483648", "CzasMon=-2147483648\r\n", "interval", 0);
        row("CzasMon $FFFFFFFF", "CzasMon=$FFFFFFFF\r\n", "interval", 0);
        row("CzasMon 50000", "CzasMon=50000\r\n", "interval", 50000);
        row("CzasMon not a number", "CzasMon=9e9\r\n", "interval", 1000);
        // The category chosen: -1 (all links) or an id; below -1 is -1.
        row("AktPoz -2147483648", "AktPoz=-2147483648\r\n", "categoryRow", 2);
        row("AktPoz -5", "AktPoz=-5\r\n", "categoryRow", 2);
        row("AktPoz 2147483647", "AktPoz=2147483647\r\n", "categoryRow", 0);
        row("AktPoz 0x7FFFFFFF", "AktPoz=0x7FFFFFFF\r\n", "categoryRow", 0);
        row("AktPoz not a number", "AktPoz=pierwsza\r\n", "categoryRow", 2);
    }

    void hostileValues()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, probe);
        QFETCH(QVariant, expected);
        fx->AddLink(fx->AddCategory("Jedyna"), "http://a.pl");
        fx->WriteSettings(ini.toStdString());
        TForm1& form = fx->Start();
        QVERIFY(ShowAndWait(form));
        QCOMPARE(Probes().at(probe)(form), expected);
        const QRect frame = form.frameGeometry();
        QVERIFY2(Reachable(frame), qPrintable(QStringLiteral("out of reach: ") + Describe(frame)));
        QVERIFY(frame.width() >= kMinWidth && frame.height() >= kMinHeight);
        QVERIFY(frame.width() <= Desktop().width() && frame.height() <= Desktop().height());
        QVERIFY(form.HeaderControl1->sectionSize(0) >= 0);
        QVERIFY(form.Pasek >= 0 && form.Pasek <= form.HeaderControl1->width());
        QCOMPARE(form.Busy, false);
    }
};

QTEST_MAIN(StoredGeometryTest)
#include "StoredGeometryTest.moc"
