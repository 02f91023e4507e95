// The column header over an owner-drawn list, as the window's lists use it:
// a standalone horizontal header whose sections are titled from a model,
// left-aligned, never clickable, and may be dragged down to no width.
#pragma once

#include <QStringList>

class QHeaderView;
class QStandardItemModel;
class QWidget;

// A header of height pixels with one section per title, shown from model
// (whose column titles it sets).
QHeaderView* NewColumnHeader(QWidget* parent, QStandardItemModel* model, const QStringList& titles, int height);
