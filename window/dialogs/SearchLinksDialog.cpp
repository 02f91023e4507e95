#include "window/dialogs/SearchLinksDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ButtonKeys.h"
#include "platform/QtText.h"
#include "window/mainwindow/dovra_.h"

namespace {

constexpr int kClientWidth = 485;
constexpr int kClientHeight = 152;

using platform::IsEnter;

}  // namespace

TForm8::TForm8(TForm1& form) : GuardedDialog(&form, form.boxes), form_(form)
{
    setWindowTitle(QStringLiteral("Szukaj"));
    // A fixed border with only the close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    CreateComponents();
    FormCreate();
}

void TForm8::CreateComponents()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    GroupBox1 = new QGroupBox(QStringLiteral("Szukany tekst :"), this);
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->installEventFilter(this);
    groupLayout->addWidget(Edit1);
    layout->addWidget(GroupBox1);

    auto* lower = new QHBoxLayout;
    auto* options = new QVBoxLayout;
    options->setSpacing(2);
    CheckBox1 = new QCheckBox(QStringLiteral("Szukaj w linkach"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("Szukaj w opisach"), this);
    CheckBox3 = new QCheckBox(QStringLiteral("Uwzględniaj wielkość liter"), this);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3})
        options->addWidget(box);
    lower->addLayout(options);
    lower->addStretch();

    BitBtn1 = new QPushButton(QStringLiteral("Szukaj"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Anuluj"), this);
    for (QPushButton* button : {BitBtn1, BitBtn2}) {
        // Enter and Escape belong to the edit, not to a default button.
        platform::NeverDefault(button);
        button->setMinimumWidth(75);
        lower->addWidget(button, 0, Qt::AlignBottom);
    }
    layout->addLayout(lower);

    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    Edit1->setFocus();

    ConnectClick(BitBtn1, &TForm8::BitBtn1Click);
    ConnectClick(BitBtn2, &TForm8::BitBtn2Click);
}

void TForm8::FormCreate()
{
    Edit1->setText(platform::ToQString(form_.SearchText));
    CheckBox1->setChecked(form_.SearchInLinks);
    CheckBox2->setChecked(form_.SearchInDescriptions);
    CheckBox3->setChecked(form_.SearchCaseSensitive);
}

void TForm8::BitBtn1Click()
{
    if (!CheckBox1->isChecked() && !CheckBox2->isChecked()) {
        form_.boxes.MessageBox(this, QStringLiteral("Należy zaznaczyć którąś opcję szukania"),
                               QStringLiteral("Informacja"), platform::MbOk | platform::MbIconExclamation);
        return;
    }
    form_.SearchText = platform::FromQString(Edit1->text());
    form_.SearchInLinks = CheckBox1->isChecked();
    form_.SearchInDescriptions = CheckBox2->isChecked();
    form_.SearchCaseSensitive = CheckBox3->isChecked();
    form_.SearchRequested = true;
    accept();
}

void TForm8::BitBtn2Click()
{
    reject();
}

void TForm8::Edit1KeyPress(int key)
{
    if (IsEnter(key))
        BitBtn1Click();
    else if (key == Qt::Key_Escape)
        BitBtn2Click();
}

bool TForm8::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && TakeKey(event, Keys::EnterEscape, [this](int key) { Edit1KeyPress(key); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TForm8::keyPressEvent(QKeyEvent* event)
{
    // Outside the edit Enter and Escape do nothing.
    if (!TakeKey(event, Keys::EnterEscape, nullptr))
        QDialog::keyPressEvent(event);
}
