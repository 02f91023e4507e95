#include "tests/window/ListGestures.h"

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QtTest>

#include "window/widgets/LineListBox.h"

std::vector<int> RowsFromTo(int from, int to)
{
    std::vector<int> rows;
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        rows.push_back(row);
    return rows;
}

void ShiftClickMoving(LineListBox& box, QPoint at)
{
    QWidget* viewport = box.viewport();
    const QPoint moved = at + QPoint(3, 1);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, at);
    QMouseEvent move(QEvent::MouseMove, moved, viewport->mapToGlobal(moved), Qt::NoButton, Qt::LeftButton,
                     Qt::ShiftModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ShiftModifier, moved);
}
