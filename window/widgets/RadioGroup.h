// A control of the class library that Qt lacks as such: a radio group, a
// framed column of radio buttons with an item index.
#pragma once

#include <QGroupBox>

class QButtonGroup;

// A radio group: items in a column under the frame's caption; ItemIndex is
// the checked item, -1 when none is.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items checks none.
    void SetItemIndex(int index);
    int Count() const;
    QString Item(int index) const;

private:
    QButtonGroup* group_;
};
