// The link commands: add, change, describe, delete, copy and open the links
// of the shown category.
#include <QAction>

#include "platform/Convert.h"
#include "platform/HandlerGuard.h"
#include "platform/LinkOpening.h"
#include "platform/QtText.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/logic/LinkOrder.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

const std::string kIdTag = "<i>";
const std::string kLinkTag = "<l>";

}  // namespace

// The position is the store's: DbAddLinks puts the link after the last one
// stored in its category.
void TForm1::BuildLinkLine(std::string& text, int catId)
{
    text = LinkLine(-1, catId, 0, text, std::string());
}

void TForm1::Dodajnowylink1Click()
{
    platform::BusyGuard busy(Busy);
    std::string text = platform::LinkFromQString(
        boxes.InputBox(QStringLiteral("Treść linku"), QStringLiteral("Proszę podać treść linku : "), QString()));
    if (text.empty())
        return;
    const int catId = SelectedCategoryId();
    // Under "Wszystkie" the link goes to the uncategorised links: a link
    // without a real category could be neither changed, moved, deleted nor
    // exported. The store puts it after the last stored link of its category,
    // also when that one stands at the largest position there is.
    const int target = catId == -1 ? 0 : catId;
    BuildLinkLine(text, target);
    DbAddLinks(ArchiveFolder, {text}, target);
    LoadLinks(catId, 0);
}

void TForm1::Zmielink1Click()
{
    platform::BusyGuard busy(Busy);
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    const std::string line = ListBox1->Item(row);
    QString text = platform::ToQString(GetTagValue(line, kLinkTag));
    if (!boxes.InputQuery(QStringLiteral("Zmiana linku"), QStringLiteral("Podaj nową treść linku : "), text))
        return;
    const int catId = SelectedCategoryId();
    const std::string changed = SetTagValue(line, platform::LinkFromQString(text), kLinkTag);
    const int linkId = StrToInt(GetTagValue(changed, kIdTag));
    DbUpdateLinks(ArchiveFolder, {changed});
    LoadLinks(catId, linkId);
}

void TForm1::Zmieopis1Click()
{
    platform::BusyGuard busy(Busy);
    QString text;
    if (!boxes.InputQuery(QStringLiteral("Zmiana opisu"), QStringLiteral("Podaj nowy opis : "), text))
        return;
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;  // an empty list: nothing to describe
    const int catId = SelectedCategoryId();
    const int linkId = StrToInt(GetTagValue(ListBox1->Item(row), kIdTag));
    DbUpdateLinks(ArchiveFolder,
                  linkorder::WithDescription(ListBox1->Lines(), ListBox1->SelectedRows(), platform::FromQString(text)));
    LoadLinks(catId, linkId);
}

void TForm1::Usutenlink1Click()
{
    platform::BusyGuard busy(Busy);
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    Lines lines;
    QString question = QStringLiteral("Czy napewno usunąć link(i) :");
    for (int row : rows) {
        lines.push_back(ListBox1->Item(row));
        question += QLatin1Char('\n') + platform::ToQString(GetTagValue(lines.back(), kLinkTag));
    }
    const int answer =
        boxes.MessageBox(this, question, QStringLiteral("Zapytanie"), platform::MbYesNo | platform::MbIconExclamation);
    if (answer != platform::IdYes)
        return;
    // The rows go only once the store has deleted them.
    if (LinksStored(DbDeleteLinks(ArchiveFolder, lines), FocusedLinkId()))
        ListBox1->DeleteSelected();
}

void TForm1::Kopiujlinkdoschowka1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    CopyLinksToClipboard(linkorder::JoinLinkTexts(ListBox1->Lines(), rows));
}

void TForm1::Kpiujzaznaczoneopisydoschowka1Click()
{
    const std::vector<int> rows = ListBox1->SelectedRows();
    if (rows.empty())
        return;
    clipboard_->SetText(platform::ToQString(linkorder::JoinDescriptions(ListBox1->Lines(), rows)));
}

void TForm1::Otwrzlinkwdomylnympr1Click()
{
    platform::BusyGuard busy(Busy);
    std::vector<std::string> links;
    for (int row : ListBox1->SelectedRows())
        links.push_back(GetTagValue(ListBox1->Item(row), kLinkTag));
    OpenLinksOrSay(*opener_, boxes, this, links, [this] { return Busy; });
}

void TForm1::ListBox1DblClick()
{
    if (Otwrzlinkwdomylnympr1->isEnabled())
        Otwrzlinkwdomylnympr1Click();
}

void TForm1::ListBox1KeyDown(int key)
{
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Otwrzlinkwdomylnympr1->isEnabled())
        Otwrzlinkwdomylnympr1Click();
}

void TForm1::SetOpener(std::unique_ptr<platform::Opener> opener)
{
    opener_ = std::move(opener);
}
