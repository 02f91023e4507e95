// Building the main window: its controls, menus, toolbar, timer and tray
// icon, with the captions, shortcuts, hints and images of each item.
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QStandardItemModel>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "window/mainwindow/dovra_.h"
#include "window/widgets/ColumnHeader.h"
#include "window/widgets/LineListBox.h"

namespace {

// Sizes of the design: the category box, the header and its two sections.
constexpr int kCategoryBoxWidth = 190;
constexpr int kLinkSectionWidth = 300;
constexpr int kDescriptionSectionWidth = 124;
constexpr int kHeaderHeight = 17;
// How often a window hidden to the tray looks whether the tray is still there.
constexpr int kTrayCheckInterval = 2000;

QFont ListFont(const QString& family)
{
    QFont font(family);
    font.setPixelSize(11);
    return font;
}

}  // namespace

void TForm1::CreateComponents()
{
    CreateToolBar();
    CreateLists();
    CreateLinkMenu();
    CreateTrayMenu();
    CreateCategoryMenu();
    Timer1 = new platform::Timer(this);
    TrayIcon1 = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon1->setToolTip(QStringLiteral("Quomira"));
    TrayIcon1->setContextMenu(PopupMenu2);
    TrayCheck = new QTimer(this);
    TrayCheck->setInterval(kTrayCheckInterval);
    // The file dialogs open in the home folder until they are used.
    OpenDialog1.initialDir = QDir::homePath();
    SaveDialog1.initialDir = QDir::homePath();
}

void TForm1::CreateLists()
{
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(4);

    GroupBox1 = new QGroupBox(QStringLiteral("Kategoria :"), central);
    GroupBox1->setFixedWidth(kCategoryBoxWidth);
    auto* categoryLayout = new QVBoxLayout(GroupBox1);
    categoryLayout->setContentsMargins(6, 4, 6, 6);
    ListBox2 = new LineListBox(GroupBox1);
    ListBox2->SetColor(Qt::white);
    ListBox2->setFont(ListFont(QStringLiteral("Arial")));
    ListBox2->SetItemHeight(18);
    ListBox2->SetDrawItem([this](QPainter& p, const QRect& r, int i, bool s) { ListBox2DrawItem(p, r, i, s); });
    categoryLayout->addWidget(ListBox2);
    layout->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("Lista linków : "), central);
    auto* linkLayout = new QVBoxLayout(GroupBox2);
    linkLayout->setContentsMargins(6, 4, 6, 6);
    linkLayout->setSpacing(0);
    headerModel_ = new QStandardItemModel(0, 2, this);
    HeaderControl1 =
        NewColumnHeader(GroupBox2, headerModel_, {QStringLiteral("Link"), QStringLiteral("Opis")}, kHeaderHeight);
    HeaderControl1->setSectionResizeMode(0, QHeaderView::Interactive);
    HeaderControl1->setStretchLastSection(true);
    HeaderControl1->resizeSection(0, kLinkSectionWidth);
    HeaderControl1->resizeSection(1, kDescriptionSectionWidth);
    HeaderControl1->installEventFilter(this);
    linkLayout->addWidget(HeaderControl1);
    ListBox1 = new LineListBox(GroupBox2);
    ListBox1->SetColor(QColor(255, 255, 249));
    ListBox1->setFont(ListFont(QStringLiteral("Verdana")));
    ListBox1->SetItemHeight(18);
    ListBox1->SetMultiSelect(true);
    ListBox1->SetDrawItem([this](QPainter& p, const QRect& r, int i, bool s) { ListBox1DrawItem(p, r, i, s); });
    linkLayout->addWidget(ListBox1);
    layout->addWidget(GroupBox2, 1);

    setCentralWidget(central);
}

QAction* TForm1::MenuItem(QMenu* menu, const QString& caption, int image, const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(caption);
    if (image >= 0)
        item->setIcon(ImageList1.Icon(image));
    if (!shortcut.isEmpty()) {
        // A menu's shortcuts act while its control has the focus.
        item->setShortcut(shortcut);
        item->setShortcutContext(Qt::WidgetShortcut);
    }
    return item;
}

void TForm1::CreateLinkMenu()
{
    PopupMenu1 = new QMenu(this);
    QMenu* m = PopupMenu1;
    Otwrzlinkwdomylnympr1 =
        MenuItem(m, QStringLiteral("Otwórz link(i) w domyślnym programie"), 25, Qt::CTRL | Qt::Key_E);
    m->addSeparator();
    Dodajnowylink1 = MenuItem(m, QStringLiteral("Dodaj nowy link"), 0, Qt::CTRL | Qt::Key_A);
    Dodajlinkzeschowka1 = MenuItem(m, QStringLiteral("Dodaj linki ze schowka"), 1, Qt::CTRL | Qt::Key_V);
    Dodajlinkizpliku1 = MenuItem(m, QStringLiteral("Dodaj linki z pliku"), 3, Qt::CTRL | Qt::Key_O);
    m->addSeparator();
    Zmielink1 = MenuItem(m, QStringLiteral("Zmień link"), 5, Qt::CTRL | Qt::Key_Z);
    Zmieopis1 = MenuItem(m, QStringLiteral("Zmień opis zaznaczonych linków"), 8, Qt::CTRL | Qt::Key_X);
    Usutenlink1 = MenuItem(m, QStringLiteral("Usuń wybrane linki"), 2, Qt::Key_Delete);
    m->addSeparator();
    Kopiujlinkdoschowka1 = MenuItem(m, QStringLiteral("Kopiuj zaznaczone linki do schowka"), 9, Qt::CTRL | Qt::Key_C);
    Kpiujzaznaczoneopisydoschowka1 = MenuItem(m, QStringLiteral("Kpiuj zaznaczone opisy do schowka"), 26);
    m->addSeparator();
    Przesuzaznaczonelinkiwgr1 =
        MenuItem(m, QStringLiteral("Przesuń zaznaczone linki w górę"), 23, Qt::CTRL | Qt::Key_Q);
    Przesuzaznaczonelinkiwd1 = MenuItem(m, QStringLiteral("Przesuń zaznaczone linki w dół"), 24, Qt::CTRL | Qt::Key_W);
    Przeniewybranelinkidoinnejkategorii1 =
        MenuItem(m, QStringLiteral("Przenieś wybrane linki do innej kategorii"), 20, Qt::CTRL | Qt::Key_M);
    Sortujlinkiwkategorii1 = MenuItem(m, QStringLiteral("Sortuj linki w kategorii"), 17, Qt::CTRL | Qt::Key_S);
    Szukajpowtrek1 = MenuItem(m, QStringLiteral("Znajdź i usuń powtórki"), 19, Qt::CTRL | Qt::Key_P);
    m->addSeparator();
    Szukajlinkuwkategorii1 = MenuItem(m, QStringLiteral("Szukaj linków w kategorii"), 18);
    Szukaj1 = MenuItem(m, QStringLiteral("Szukaj linków w katalogu"), 18, Qt::CTRL | Qt::Key_F);
    m->addSeparator();

    Konwertuj1 = m->addMenu(QStringLiteral("Eksportuj"));
    Wszystkiekategorie1 = Konwertuj1->addMenu(QStringLiteral("Wszystkie kategorie"));
    Doplikutekstowego1 =
        MenuItem(Wszystkiekategorie1, QStringLiteral("Do pliku tekstowego"), 10, Qt::CTRL | Qt::ALT | Qt::Key_T);
    DoplikuHTML1 = MenuItem(Wszystkiekategorie1, QStringLiteral("Do pliku HTML"), 7, Qt::CTRL | Qt::ALT | Qt::Key_H);
    Wybrankategori1 = Konwertuj1->addMenu(QStringLiteral("Wybraną kategorię"));
    Doplikutekstowego2 = MenuItem(Wybrankategori1, QStringLiteral("Do pliku tekstowego"), 10, Qt::CTRL | Qt::Key_T);
    DoplikuHTML2 = MenuItem(Wybrankategori1, QStringLiteral("Do pliku HTML"), 7, Qt::CTRL | Qt::Key_H);
    for (QMenu* sub : {Wszystkiekategorie1, Wybrankategori1}) {
        // Formats that never got a command: present but never visible.
        sub->addAction(QStringLiteral("Do formatu ulubionych Firefoxa"))->setVisible(false);
        sub->addAction(QStringLiteral("Do formatu ulubionych IE"))->setVisible(false);
    }
    m->addSeparator();

    Monitorowanieschowka2 = MenuItem(m, QStringLiteral("Monitorowanie schowka"), -1);
    Monitorowanieschowka2->setCheckable(true);
    // Ctrl+O belongs to "Dodaj linki z pliku", the earlier item: this one
    // only shows it.
    Opcjeprogramu1 = MenuItem(m, QStringLiteral("Ustawienia programu\tCtrl+O"), 6);
    Oprogramie1 = MenuItem(m, QStringLiteral("O programie"), 11);
    m->addSeparator();
    Zamknij1 = MenuItem(m, QStringLiteral("Zamknij"), 12);

    // The shortcuts act while the link list has the focus.
    const QList<QAction*> items = m->actions() + Wszystkiekategorie1->actions() + Wybrankategori1->actions();
    for (QAction* item : items)
        if (!item->shortcut().isEmpty())
            ListBox1->addAction(item);
}

void TForm1::CreateTrayMenu()
{
    PopupMenu2 = new QMenu(this);
    QMenu* m = PopupMenu2;
    Monitorowanieschowka1 = MenuItem(m, QStringLiteral("Monitorowanie schowka"), -1);
    Monitorowanieschowka1->setCheckable(true);
    m->addSeparator();
    Dodajnowylink2 = MenuItem(m, QStringLiteral("Dodaj nowy link"), 0);
    Dodajlinkizeschowka1 = MenuItem(m, QStringLiteral("Dodaj linki ze schowka"), 1);
    Dodajlinkizpliku2 = MenuItem(m, QStringLiteral("Dodaj linki z pliku"), 3);
    m->addSeparator();
    Poka1 = MenuItem(m, QStringLiteral("Pokaż"), 14);
    m->addSeparator();
    Ukryj1 = MenuItem(m, QStringLiteral("Ukryj"), 15);
    m->addSeparator();
    Zamknij2 = MenuItem(m, QStringLiteral("Zamknij"), 12);
}

void TForm1::CreateCategoryMenu()
{
    PopupMenu3 = new QMenu(this);
    Dodajnowkategori1 = MenuItem(PopupMenu3, QStringLiteral("Dodaj nową kategorię"), 0);
    Zmienazw1 = MenuItem(PopupMenu3, QStringLiteral("Zmień nazwę"), 4);
    Kolejno1 = MenuItem(PopupMenu3, QStringLiteral("Kolejność"), 16);
    Usutkategori1 = MenuItem(PopupMenu3, QStringLiteral("Usuń kategorię"), 2);
}

QAction* TForm1::ToolButton(const QString& hint, int image)
{
    QAction* button = ToolBar1->addAction(ImageList1.Icon(image), hint);
    button->setToolTip(hint);
    return button;
}

void TForm1::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(ImageList1.Width(), ImageList1.Height()));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    setContextMenuPolicy(Qt::NoContextMenu);

    // The buttons in order, a null member for each separator: member, hint,
    // image.
    const struct {
        QAction* TForm1::*member;
        const char16_t* hint;
        int image;
    } buttons[] = {
        {&TForm1::ToolButton1, u"Dodaj nowy link", 0},
        {&TForm1::ToolButton2, u"Dodaj linki ze schowka", 1},
        {&TForm1::ToolButton3, u"Dodaj linki z pliku", 3},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton22, u"Zmień link", 5},
        {&TForm1::ToolButton23, u"Zmień opis zaznaczonych linków", 8},
        {&TForm1::ToolButton25, u"Usuń wybrane linki", 2},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton5, u"Otwórz link(i) w domyślnym programie", 25},
        {&TForm1::ToolButton6, u"Kopiuj zaznaczone linki do schowka", 9},
        {&TForm1::ToolButton7, u"Kpiuj zaznaczone opisy do schowka", 26},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton17, u"Przesuń zaznaczone linki w górę", 23},
        {&TForm1::ToolButton18, u"Przesuń zaznaczone linki w dół", 24},
        {&TForm1::ToolButton24, u"Przenieś wybrane linki do innej kategorii", 20},
        {&TForm1::ToolButton10, u"Sortuj linki w kategorii", 17},
        {&TForm1::ToolButton11, u"Znajdź powtórki", 19},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton29, u"Szukaj linków w katalogu", 18},
        {&TForm1::ToolButton20, u"Monitorowanie schowka", 27},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton13, u"Ustawienia programu", 6},
        {&TForm1::ToolButton14, u"O programie", 11},
        {nullptr, nullptr, 0},
        {&TForm1::ToolButton16, u"Zamknij", 12},
    };
    for (const auto& b : buttons) {
        if (b.member)
            this->*b.member = ToolButton(QString::fromUtf16(b.hint), b.image);
        else
            ToolBar1->addSeparator();
    }
    ToolButton20->setCheckable(true);
}
