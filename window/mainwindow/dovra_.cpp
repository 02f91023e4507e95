// The main window's construction and the wiring of its handlers.
#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

static void InitResources()
{
    Q_INIT_RESOURCE(quomira);
}

namespace {

// Design client area of the window.
constexpr int kDesignWidth = 642;
constexpr int kDesignHeight = 420;

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/app/quomira-%1.png").arg(size));
    return icon;
}

}  // namespace

TForm1::TForm1(platform::Boxes& boxes, std::string exePath, QWidget* parent)
    : QMainWindow(parent), boxes(boxes), exePath_(std::move(exePath)),
      opener_(std::make_unique<platform::DesktopOpener>()), hooks_(boxes)
{
    InitResources();
    ImageList1.AddNumbered(QStringLiteral(":/imagelist1/"));
    setWindowTitle(QStringLiteral("Quomira"));
    setWindowIcon(ApplicationIcon());
    CreateComponents();
    ConnectHandlers();
    resize(kDesignWidth, kDesignHeight);
}

TForm1::~TForm1() = default;

void TForm1::ConnectHandlers()
{
    connect(ListBox2, &LineListBox::UserClicked, this, Guarded([this] { ListBox2Click(); }));
    connect(HeaderControl1, &QHeaderView::sectionResized, this,
            [this](int section) { platform::RunGuarded(boxes, [&] { HeaderControl1SectionResize(section); }); });
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });
    connect(ListBox2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu3->popup(ListBox2->viewport()->mapToGlobal(pos)); });
    connect(ListBox1, &LineListBox::DblClick, this, Guarded([this] { ListBox1DblClick(); }));
    connect(ListBox1, &LineListBox::KeyDown, this, [this](int key) { Guarded([&] { ListBox1KeyDown(key); })(); });
    ConnectCommands();
    ConnectImport();
    ConnectTray();
}

void TForm1::OnTriggered(QAction* action, void (TForm1::*handler)())
{
    connect(action, &QAction::triggered, this, Guarded([this, handler] { (this->*handler)(); }));
}

void TForm1::ConnectCommands()
{
    // Each link command has its menu item and toolbar button.
    const struct {
        QAction* item;
        QAction* button;
        void (TForm1::*handler)();
    } linkCommands[] = {
        {Dodajnowylink1, ToolButton1, &TForm1::Dodajnowylink1Click},
        {Zmielink1, ToolButton22, &TForm1::Zmielink1Click},
        {Zmieopis1, ToolButton23, &TForm1::Zmieopis1Click},
        {Usutenlink1, ToolButton25, &TForm1::Usutenlink1Click},
        {Kopiujlinkdoschowka1, ToolButton6, &TForm1::Kopiujlinkdoschowka1Click},
        {Kpiujzaznaczoneopisydoschowka1, ToolButton7, &TForm1::Kpiujzaznaczoneopisydoschowka1Click},
        {Otwrzlinkwdomylnympr1, ToolButton5, &TForm1::Otwrzlinkwdomylnympr1Click},
        {Sortujlinkiwkategorii1, ToolButton10, &TForm1::Sortujlinkiwkategorii1Click},
        {Szukajpowtrek1, ToolButton11, &TForm1::Szukajpowtrek1Click},
        {Przesuzaznaczonelinkiwgr1, ToolButton17, &TForm1::Przesuzaznaczonelinkiwgr1Click},
        {Przesuzaznaczonelinkiwd1, ToolButton18, &TForm1::Przesuzaznaczonelinkiwd1Click},
        {Przeniewybranelinkidoinnejkategorii1, ToolButton24, &TForm1::Przeniewybranelinkidoinnejkategorii1Click},
    };
    for (const auto& command : linkCommands) {
        OnTriggered(command.item, command.handler);
        OnTriggered(command.button, command.handler);
    }

    OnTriggered(Dodajnowkategori1, &TForm1::Dodajnowkategori1Click);
    OnTriggered(Zmienazw1, &TForm1::Zmienazw1Click);
    OnTriggered(Kolejno1, &TForm1::Kolejno1Click);
    OnTriggered(Usutkategori1, &TForm1::Usutkategori1Click);
    ConnectSearchCommands();
    ConnectExportCommands();

    OnTriggered(Opcjeprogramu1, &TForm1::Opcjeprogramu1Click);
    OnTriggered(ToolButton13, &TForm1::Opcjeprogramu1Click);
}
