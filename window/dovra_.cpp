// The main window's construction and the wiring of its handlers.
#include <QHeaderView>
#include <QMenu>

#include "LineListBox.h"
#include "dovra_.h"

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
    : QMainWindow(parent), boxes(boxes), exePath_(std::move(exePath)), hooks_(boxes)
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
}
