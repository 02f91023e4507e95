#include "window/dialogs/CatalogueSearchDialog.h"

#include <charconv>
#include <string_view>
#include <unordered_set>

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "platform/ButtonKeys.h"
#include "platform/Clipboard.h"
#include "platform/Convert.h"
#include "platform/Cp1250.h"
#include "platform/LinkOpening.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/ColumnHeader.h"
#include "window/widgets/LineListBox.h"
#include "window/widgets/RowPainting.h"

namespace {

constexpr int kClientWidth = 547;
constexpr int kClientHeight = 410;
constexpr int kMinimumWidth = 420;
constexpr int kMinimumHeight = 200;
constexpr int kEditBarHeight = 26;
constexpr int kOptionsBandHeight = 55;
constexpr int kHeaderHeight = 17;
constexpr int kRowHeight = 18;
// The result list's colour, the class library's $00F9FFFF.
const QColor kListColour(255, 255, 249);

const std::string kIdTag = "<i>";
const std::string kLinkTag = "<l>";
const std::string kDescrTag = "<d>";

using platform::IsEnter;

QFont ArialFont(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    return font;
}

int IdOf(const std::string& line)
{
    return StrToInt(GetTagValue(line, kIdTag));
}

// The same for the rows of a long list: the decimal digits of "<i>" read in
// place; anything else takes the general way.
int RowIdOf(const std::string& line)
{
    const std::size_t start = line.find(kIdTag);
    if (start == std::string::npos)
        return IdOf(line);
    const char* first = line.data() + start + kIdTag.size();
    const char* last = line.data() + line.size();
    int id = 0;
    const auto [end, error] = std::from_chars(first, last, id);
    const std::string_view rest(end, static_cast<std::size_t>(last - end));
    if (error != std::errc() || end == first || rest.substr(0, 4) != "</i>")
        return IdOf(line);
    return id;
}

// The field of each row joined by "\n", nothing after the last one.
std::string JoinField(const LineListBox& box, const std::vector<int>& rows, const std::string& tag)
{
    std::string text;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k > 0)
            text += '\n';
        text += GetTagValue(box.Item(rows[k]), tag);
    }
    return text;
}

}  // namespace

TForm9::TForm9(TForm1& form) : GuardedDialog(&form, form.boxes), form_(form)
{
    setWindowTitle(QStringLiteral("Szukaj w katalogu :"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    CreateComponents();
    // Smaller than this the result list has no room left.
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kClientWidth, kClientHeight);
    // Centred on the screen, not on the main window.
    if (const QScreen* screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

void TForm9::CreateComponents()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);

    auto* bar = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setFont(ArialFont(12));
    QPalette palette = Edit1->palette();
    palette.setColor(QPalette::Text, QColor(0, 0, 128));  // navy
    Edit1->setPalette(palette);
    Edit1->setFixedHeight(kEditBarHeight);
    Edit1->installEventFilter(this);
    BitBtn3 = new QPushButton(QStringLiteral("Szukaj"), this);
    BitBtn3->setFixedSize(100, kEditBarHeight);
    bar->addWidget(Edit1, 1);
    bar->addWidget(BitBtn3);
    layout->addLayout(bar);

    auto* band = new QWidget(this);
    band->setFixedHeight(kOptionsBandHeight);
    auto* options = new QVBoxLayout(band);
    options->setContentsMargins(4, 4, 4, 4);
    options->setSpacing(2);
    CheckBox1 = new QCheckBox(QStringLiteral("Przeszukiwanie linków"), band);
    CheckBox2 = new QCheckBox(QStringLiteral("Przeszukiwanie opisów"), band);
    CheckBox3 = new QCheckBox(QStringLiteral("Uwzględniaj wielkość liter"), band);
    CheckBox3->setVisible(false);
    options->addWidget(CheckBox1);
    options->addWidget(CheckBox2);
    options->addStretch();
    layout->addWidget(band);

    CreateResultPanel();
    layout->addWidget(Panel1, 1);

    auto* buttons = new QHBoxLayout;
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    BitBtn2->setFixedWidth(75);
    BitBtn1 = new QPushButton(QStringLiteral("Przejdź do kategorii"), this);
    BitBtn1->setFixedWidth(162);
    BitBtn1->setEnabled(false);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);
    layout->addLayout(buttons);
    // Enter is the edit's and the list's; no button takes it.
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3})
        platform::NeverDefault(button);

    CreateMenu();
    ConnectHandlers();
    Edit1->setFocus();
}

void TForm9::CreateResultPanel()
{
    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);

    headerModel_ = new QStandardItemModel(0, 3, this);
    HeaderControl1 = NewColumnHeader(
        Panel1, headerModel_, {QStringLiteral("Kategoria"), QStringLiteral("Znalezione linki"), QStringLiteral("Opis")},
        kHeaderHeight);
    HeaderControl1->setStretchLastSection(false);
    HeaderControl1->setSectionResizeMode(0, QHeaderView::Interactive);
    HeaderControl1->setSectionResizeMode(1, QHeaderView::Stretch);  // fills the header
    HeaderControl1->setSectionResizeMode(2, QHeaderView::Interactive);
    HeaderControl1->resizeSection(0, 150);
    HeaderControl1->resizeSection(1, 247);
    HeaderControl1->resizeSection(2, 150);
    panelLayout->addWidget(HeaderControl1);

    ListBox1 = new LineListBox(Panel1);
    ListBox1->SetColor(kListColour);
    ListBox1->setFont(ArialFont(11));
    ListBox1->SetItemHeight(kRowHeight);
    ListBox1->SetMultiSelect(true);
    ListBox1->SetDrawItem([this](QPainter& p, const QRect& r, int i, bool s) { ListBox1DrawItem(p, r, i, s); });
    panelLayout->addWidget(ListBox1, 1);
}

void TForm9::CreateMenu()
{
    PopupMenu1 = new QMenu(this);
    const auto item = [this](const QString& caption, int image) {
        QAction* action = PopupMenu1->addAction(form_.ImageList1.Icon(image), caption);
        return action;
    };
    Otwrzlinkiwdomylnymprogramie1 = item(QStringLiteral("Otwórz link(i) w domyślnym programie"), 8);
    PopupMenu1->addSeparator();  // N2
    Kopiujzaznaczonelinkidoschowka1 = item(QStringLiteral("Kopiuj zaznaczone linki do schowka"), 5);
    Kpiujzaznaczoneopisydoschowka1 = item(QStringLiteral("Kpiuj zaznaczone opisy do schowka"), 26);
    PopupMenu1->addSeparator();  // N1
    Usuwybranelinkizkatalogu1 = item(QStringLiteral("Usuń wybrane linki z katalogu"), 2);
}

void TForm9::ConnectHandlers()
{
    ConnectClick(BitBtn1, &TForm9::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm9::BitBtn2Click);
    ConnectClick(BitBtn3, &TForm9::BitBtn3Click);
    const auto onTriggered = [this](QAction* action, void (TForm9::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    onTriggered(Otwrzlinkiwdomylnymprogramie1, &TForm9::Otwrzlinkiwdomylnymprogramie1Click);
    onTriggered(Kopiujzaznaczonelinkidoschowka1, &TForm9::Kopiujzaznaczonelinkidoschowka1Click);
    onTriggered(Kpiujzaznaczoneopisydoschowka1, &TForm9::Kpiujzaznaczoneopisydoschowka1Click);
    onTriggered(Usuwybranelinkizkatalogu1, &TForm9::Usuwybranelinkizkatalogu1Click);

    connect(ListBox1, &LineListBox::KeyDown, this, [this](int key) { Guarded([this, key] { ListBox1KeyDown(key); }); });
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos)); });
    connect(Panel1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(Panel1->mapToGlobal(pos)); });
    connect(HeaderControl1, &QHeaderView::sectionResized, this,
            [this] { Guarded([this] { HeaderControl1SectionResize(); }); });
}

void TForm9::FormCreate()
{
    LinksDeleted = false;
}

void TForm9::BitBtn3Click()
{
    if (!CheckBox1->isChecked() && !CheckBox2->isChecked()) {
        form_.boxes.MessageBox(this, QStringLiteral("Należy zaznaczyć jedną z opcji szukania"),
                               QStringLiteral("Informacja"), platform::MbOk | platform::MbIconExclamation);
        return;
    }
    ListBox1->Clear();
    const std::string typed = platform::FromQString(Edit1->text());
    QueryText = typed;
    int flags = 0;
    if (!CheckBox3->isChecked()) {
        QueryText = platform::LowerCase(QueryText);
        flags |= SearchFlagNoCase;
    }
    if (CheckBox1->isChecked())
        flags |= SearchFlagLinks;
    if (CheckBox2->isChecked())
        flags |= SearchFlagDescriptions;

    Lines found;
    DbSearchLinks(ArchiveFolder, QueryText, found, flags, -1);
    ListBox1->SetLines(std::move(found));

    form_.SearchText = typed;
    form_.SearchInLinks = CheckBox1->isChecked();
    form_.SearchInDescriptions = CheckBox2->isChecked();
    form_.SearchCaseSensitive = CheckBox3->isChecked();
    BitBtn1->setEnabled(ListBox1->Count() > 0);
}

void TForm9::ListBox1DrawItem(QPainter& painter, const QRect& rect, int index, bool selected)
{
    const std::string line = ListBox1->Item(index);
    const QColor base = ListBox1->Color();
    const auto field = [&line](const char* tag) { return platform::ToQString(GetTagValue(line, tag)); };
    // Each column's fill covers whatever of the column before ran past its start.
    const auto fillFrom = [&](int x) {
        rows::FillRow(painter, QRect(QPoint(x, rect.top()), rect.bottomRight()), base, index, selected);
    };

    rows::FillRow(painter, rect, base, index, selected);
    int x = rect.left() + 2;
    rows::TextOut(painter, x, rect.top() + 1, field("<k>"));

    x += HeaderControl1->sectionSize(0) - 4;
    fillFrom(x);
    const std::string link = GetTagValue(line, kLinkTag);
    rows::TextOut(painter, x + 20, rect.top() + 1, platform::ToQString(link));
    form_.ImageList1.Draw(painter, x, rect.top() + 1, rows::LinkImage(link));

    x += HeaderControl1->sectionSize(1) - 4;
    fillFrom(x);
    rows::TextOut(painter, x + 6, rect.top() + 1, field("<d>"));
}

void TForm9::FormResize()
{
    ListBox1->viewport()->update();
}

void TForm9::HeaderControl1SectionResize()
{
    ListBox1->viewport()->update();
}

void TForm9::Edit1KeyPress(int key)
{
    if (IsEnter(key))
        BitBtn3Click();
}

void TForm9::ListBox1KeyDown(int key)
{
    if (IsEnter(key) && Otwrzlinkiwdomylnymprogramie1->isEnabled())
        Otwrzlinkiwdomylnymprogramie1->trigger();
}

void TForm9::BitBtn1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty()) {
        form_.boxes.MessageBox(this, QStringLiteral("Brak zaznaczonych linków"), QStringLiteral("Informacja"),
                               platform::MbOk | platform::MbIconExclamation);
        return;
    }
    const std::string line = ListBox1->Item(rows.front());
    const int linkId = IdOf(line);
    // A link without a stored category carries no "<j>": its own "<c>" says
    // where it is listed (0 for the uncategorised links).
    const std::string category = GetTagValue(line, "<j>");
    const int catId = StrToInt(category.empty() ? GetTagValue(line, "<c>") : category);
    if (form_.LoadCategories(catId) == DbOk) {
        form_.SelectCategoryOrAll(catId);
        form_.ListBox2Click();
    }
    form_.SelectLinkById(linkId);
    accept();
}

void TForm9::BitBtn2Click()
{
    reject();
}

void TForm9::Otwrzlinkiwdomylnymprogramie1Click()
{
    std::vector<std::string> links;
    for (int row : ListBox1->SelectedRows())
        links.push_back(GetTagValue(ListBox1->Item(row), kLinkTag));
    OpenLinksOrSay(form_.LinkOpener(), form_.boxes, this, links, BusyOr([&form = form_] { return form.Busy; }));
}

void TForm9::Kopiujzaznaczonelinkidoschowka1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    form_.CopyLinksToClipboard(JoinField(*ListBox1, rows, kLinkTag));
}

void TForm9::Kpiujzaznaczoneopisydoschowka1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    form_.Clipboard().SetText(platform::ToQString(JoinField(*ListBox1, rows, kDescrTag)));
}

void TForm9::Usuwybranelinkizkatalogu1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    QString question = QStringLiteral("Czy napewno usunąć link(i) :");
    for (int row : rows)
        question += QLatin1Char('\n') + platform::ToQString(GetTagValue(ListBox1->Item(row), kLinkTag));
    const int answer = form_.boxes.MessageBox(this, question, QStringLiteral("Zapytanie"),
                                              platform::MbYesNo | platform::MbIconExclamation);
    if (answer != platform::IdYes)
        return;
    Lines lines;
    lines.reserve(rows.size());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        lines.push_back(ListBox1->Item(*row));
    // The hits leave the list only once the store has deleted them. A failed
    // delete changes nothing in the catalogue (the store has said why), so
    // the hits stay as they are stored.
    if (DbDeleteLinks(ArchiveFolder, lines) == DbOk) {
        LinksDeleted = true;
        RemoveRowsOfLinks(lines);
    }
    if (!isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void TForm9::RemoveRowsOfLinks(const std::vector<std::string>& lines)
{
    // A link found in both its fields stands in two rows: both go, so no row
    // shows a link that is gone.
    std::unordered_set<int> ids;
    for (const std::string& line : lines)
        ids.insert(IdOf(line));
    std::vector<int> rows;
    const std::vector<std::string>& shown = ListBox1->Lines();
    for (std::size_t row = 0; row < shown.size(); ++row)
        if (ids.count(RowIdOf(shown[row])) > 0)
            rows.push_back(static_cast<int>(row));
    ListBox1->SetSelectedRows(rows);
    ListBox1->DeleteSelected();
}

bool TForm9::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && TakeKey(event, Keys::Enter, [this](int key) { Edit1KeyPress(key); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TForm9::keyPressEvent(QKeyEvent* event)
{
    // Escape does not close this dialog, and Enter clicks no button.
    if (!TakeKey(event, Keys::EnterEscape, nullptr))
        QDialog::keyPressEvent(event);
}

void TForm9::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Guarded([this] { FormResize(); });
}
