// Message boxes, input boxes and the file and folder dialogs. The window
// asks every such question through this interface: QtBoxes shows real
// dialogs, ScriptedBoxes answers from a script in tests.
#pragma once

#include <QString>

class QWidget;

namespace platform {

// MessageBox flags and results keep their Win32 values.
enum MessageBoxFlags : unsigned {
    MbOk = 0x0,
    MbOkCancel = 0x1,
    MbAbortRetryIgnore = 0x2,
    MbYesNoCancel = 0x3,
    MbYesNo = 0x4,
    MbRetryCancel = 0x5,
    MbButtonsMask = 0xF,
    MbIconStop = 0x10,
    MbIconQuestion = 0x20,
    MbIconExclamation = 0x30,
    MbIconInformation = 0x40,
    MbIconMask = 0xF0,
    MbDefButton2 = 0x100,
    MbDefButton3 = 0x200,
    MbDefButtonMask = 0xF00,
};

enum MessageBoxResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// An open or save dialog. filter is in the class library's form
// "Description|*.a;*.b|Other|*.*"; filterIndex counts from 1. initialDir is
// the folder it opens in: its owner keeps the folder last used there
// (StartInFolderOf).
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1;
    QString fileName;
    QString initialDir;
};

// The dialog opens next in the folder of the path it answered, as the
// Windows dialogs did.
void StartInFolderOf(FileDialogRequest& request, const QString& chosenPath);

class Boxes {
public:
    virtual ~Boxes() = default;

    // A Win32-style message box; answers one of MessageBoxResult.
    virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) = 0;
    // A plain message with an OK button; the caption is the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // The application's error box for an exception: stop icon, the
    // application title as caption, the exception's text.
    virtual void ShowException(const QString& text) = 0;
    // The typed text, or defaultValue when the user cancels. Texts of any
    // length can be typed or pasted (a long address is never cut), and the
    // default is never cut either.
    virtual QString InputBox(const QString& caption, const QString& prompt, const QString& defaultValue) = 0;
    // Like InputBox, but tells whether the user confirmed; value is in and out.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // True and the chosen path when the user picked a file. The save dialog
    // asks nothing about overwriting and adds no suffix: the window decides.
    virtual bool OpenFile(QWidget* owner, const FileDialogRequest& request, QString& path) = 0;
    virtual bool SaveFile(QWidget* owner, const FileDialogRequest& request, QString& path) = 0;
    // True and the chosen folder (without a trailing "/") when one was picked.
    virtual bool SelectDirectory(QWidget* owner, const QString& caption, QString& directory) = 0;
};

// The application title: caption of ShowMessage and of the error box.
QString ApplicationTitle();

// "A (*.txt)|*.txt|B|*.*" -> "A (*.txt);;B (*)": each description with its
// patterns in Qt's form, a trailing "(...)" of the description replaced.
QString QtFileFilter(const QString& classLibraryFilter);

}  // namespace platform
