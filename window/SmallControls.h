// Two controls of the class library that Qt lacks as such: a standalone
// up-down (two arrow buttons over a position, attached to no edit) and a
// radio group (a framed column of radio buttons with an item index).
#pragma once

#include <QGroupBox>
#include <QWidget>

class QButtonGroup;
class QToolButton;

// An up-down: the up arrow raises the position by one, the down arrow lowers
// it, both within Min to Max; each press emits Click, also at the ends.
// Setting the position from code emits nothing.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(int min, int max, int position, QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Clamped to Min to Max.
    void SetPosition(int position);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void Click();

private:
    void Step(int by);

    int min_;
    int max_;
    int position_;
    QToolButton* up_;
    QToolButton* down_;
};

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
