#include "platform/Layouts.h"

#include <QLayout>
#include <QWidget>

namespace platform {

void ApplyLayouts(QWidget* widget)
{
    if (QLayout* layout = widget->layout()) {
        layout->invalidate();
        layout->activate();
    }
    const auto children = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        if (!child->isWindow())
            ApplyLayouts(child);
}

}  // namespace platform
