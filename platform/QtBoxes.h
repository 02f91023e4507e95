// The boxes as real Qt dialogs with Polish button texts.
#pragma once

#include "platform/Boxes.h"

namespace platform {

// True when text is taller than a message box may be on owner's screen (two
// thirds of it): such a box scrolls its text and keeps its buttons visible.
bool IsLongMessage(const QString& text, const QWidget* owner = nullptr);
// The scrolling message box; the same buttons, answers and keys as MessageBox.
int LongMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags);

class QtBoxes : public Boxes {
public:
    int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) override;
    void ShowMessage(const QString& text) override;
    void ShowException(const QString& text) override;
    QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    bool OpenFile(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    bool SaveFile(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    bool SelectDirectory(QWidget* owner, const QString& caption, QString& directory) override;
};

}  // namespace platform
