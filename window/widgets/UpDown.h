// A control of the class library that Qt lacks as such: a standalone
// up-down, two arrow buttons over a position, attached to no edit.
#pragma once

#include <QWidget>

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
