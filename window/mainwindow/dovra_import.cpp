// Links by the hundred: from the clipboard, from a text file and from the
// clipboard monitor, all through ImportLinks and the add-links dialog; the
// monitor's three switches.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>

#include "platform/Convert.h"
#include "platform/Files.h"
#include "platform/HandlerGuard.h"
#include "platform/QtText.h"
#include "platform/TextFile.h"
#include "store/Funcs.h"
#include "window/dialogs/AddLinksDialog.h"
#include "window/logic/LinkImport.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/CheckListBox.h"
#include "window/widgets/LineListBox.h"

namespace {

const std::string kClipboardSource = "CLIP";

// Glyphs of the add-links dialog's buttons.
constexpr int kCancelImage = 2;
constexpr int kAddImage = 0;

}  // namespace

void TForm1::ConnectImport()
{
    // The tray menu's two items are connected with the tray's add commands.
    for (QAction* action : {ToolButton2, Dodajlinkzeschowka1})
        OnTriggered(action, &TForm1::Dodajlinkzeschowka1Click);
    for (QAction* action : {ToolButton3, Dodajlinkizpliku1})
        OnTriggered(action, &TForm1::Dodajlinkizpliku1Click);
    OnTriggered(ToolButton20, &TForm1::ToolButton20Click);
    OnTriggered(Monitorowanieschowka2, &TForm1::Monitorowanieschowka2Click);
    OnTriggered(Monitorowanieschowka1, &TForm1::Monitorowanieschowka1Click);
    connect(Timer1, &platform::Timer::Tick, this, Guarded([this] { Timer1Timer(); }));
    connect(PopupMenu1, &QMenu::aboutToShow, this, Guarded([this] { PopupMenu1Popup(); }));
}

void TForm1::SetClipboard(std::unique_ptr<platform::Clipboard> clipboard)
{
    clipboard_ = std::move(clipboard);
}

void TForm1::Dodajlinkzeschowka1Click()
{
    if (clipboard_->HasText())
        ImportLinks(kClipboardSource);
}

void TForm1::Dodajlinkizpliku1Click()
{
    // The busy flag stays lowered: the monitor may still offer the
    // clipboard's links while the open dialog is shown.
    QString path;
    if (!boxes.OpenFile(this, OpenDialog1, path))
        return;
    platform::StartInFolderOf(OpenDialog1, path);
    ImportLinks(path.toStdString());
}

void TForm1::Timer1Timer()
{
    if (!clipboard_->HasText() || Busy)
        return;
    try {
        if (clipboard_->Text().isEmpty())
            return;
    } catch (const platform::EClipboardError&) {
        return;  // held by another program: the next tick tries again
    }
    ImportLinks(kClipboardSource);
}

namespace {

// The candidates of a source as Windows-1250 text; a link's characters
// outside the code page are kept percent-encoded.
std::vector<std::string> SourceCandidates(platform::Clipboard& clipboard, const std::string& source)
{
    if (source != kClipboardSource) {
        std::vector<std::string> lines = platform::LoadTextLines(source, platform::Unmappable::PercentUtf8);
        linkimport::FilterCandidates(lines);
        return lines;
    }
    try {
        return TForm1::ClipboardCandidates(clipboard.Text());
    } catch (const platform::EClipboardError&) {
        return {};  // the import goes on with no lines
    }
}

}  // namespace

std::vector<std::string> TForm1::ClipboardCandidates(const QString& clipboardText)
{
    std::vector<std::string> lines = platform::SplitLines(platform::LinkFromQString(clipboardText));
    linkimport::FilterCandidates(lines);
    return lines;
}

void TForm1::CopyLinksToClipboard(const std::string& text)
{
    const QString copied = platform::ToQString(text);
    LastImport = ClipboardCandidates(copied);
    clipboard_->SetText(copied);
}

void TForm1::ImportLinks(const std::string& source)
{
    if (Busy)
        return;
    platform::BusyGuard busy(Busy);
    std::vector<std::string> candidates = SourceCandidates(*clipboard_, source);
    if (source == kClipboardSource && candidates == LastImport)
        return;  // offered or copied last time
    if (candidates.empty())
        return;

    int chosenId = -1;
    {
        TForm2 dialog(nullptr, ImageList1, boxes);
        dialog.ResultCategoryId = &chosenId;
        dialog.ArchiveFolder = ArchiveFolder;
        dialog.BitBtn1->setIcon(ImageList1.Icon(kCancelImage));
        dialog.BitBtn2->setIcon(ImageList1.Icon(kAddImage));
        // Every category but "Wszystkie"; combo row k is category row k.
        dialog.SetCategories(ListBox2->Lines());
        dialog.DeleteLastCategory();
        const int categoryRow = ListBox2->ItemIndex();
        dialog.ComboBox1->setCurrentIndex(categoryRow >= 0 && categoryRow < ListBox2->Count() - 1 ? categoryRow : 0);
        dialog.CheckListBox1->setUpdatesEnabled(false);
        for (const std::string& candidate : candidates) {
            dialog.CheckListBox1->Append(candidate);
            dialog.CheckListBox1->SetChecked(dialog.CheckListBox1->Count() - 1, true);
        }
        dialog.CheckListBox1->setUpdatesEnabled(true);
        dialog.exec();
    }

    if (chosenId >= 0) {
        // The chosen category becomes the selected row; its click handler
        // does not run, so the commands stay enabled as they were.
        for (int row = 0; row < ListBox2->Count(); ++row) {
            if (CategoryIdOfRow(row) == chosenId) {
                ListBox2->SetSelectedRows({row});
                ListBox2->SetItemIndex(row);
                break;
            }
        }
        LoadLinks(chosenId, UstPoz == 0 ? 0 : -1);
    }
    LastImport = std::move(candidates);
}

void TForm1::SwitchMonitor(bool on)
{
    // The tray host may show the tray menu without letting the program
    // prepare it, so every switch sets all three.
    Timer1->SetEnabled(on);
    ToolButton20->setChecked(on);
    Monitorowanieschowka2->setChecked(on);
    Monitorowanieschowka1->setChecked(on);
}

void TForm1::ToolButton20Click()
{
    SwitchMonitor(ToolButton20->isChecked());
}

void TForm1::Monitorowanieschowka2Click()
{
    SwitchMonitor(Monitorowanieschowka2->isChecked());
}

void TForm1::Monitorowanieschowka1Click()
{
    SwitchMonitor(Monitorowanieschowka1->isChecked());
}

void TForm1::PopupMenu1Popup()
{
    Monitorowanieschowka2->setChecked(Timer1->Enabled());
}
