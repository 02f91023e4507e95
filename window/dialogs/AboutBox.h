// The about box: the program's title and version, its author, and two
// contact labels that start an e-mail to the author and open the program's
// web page. A click anywhere else closes it; no key does anything. It has
// no border and no buttons.
#pragma once

#include <functional>

#include "window/dialogs/GuardedDialog.h"

class QFrame;
class QLabel;

namespace platform {
class Boxes;
class Opener;
}  // namespace platform

// The program's own texts of the box (UTF-8), kept here and nowhere else.
namespace about {
inline constexpr char kAuthor[] = "Zespół programu Quomira";
inline constexpr char kEmail[] = "autor@example.org";
inline constexpr char kMailSubject[] = "Quomira - uwagi użytkownika";
inline constexpr char kWebPage[] = "http://www.example.org/quomira/";
inline constexpr char kNotice[] = "Program darmowy. Kliknij, aby zamknąć.";
}  // namespace about

class TForm6 final : public GuardedDialog {
    Q_OBJECT
public:
    // opener: the main window's, for the two contact labels; boxes: where
    // a contact that cannot be opened is said and the handler guard shows
    // an exception; ownerBusy: whether owner is busy, when a contact's
    // failure comes after the box has closed.
    TForm6(QWidget* owner, platform::Opener& opener, platform::Boxes& boxes, std::function<bool()> ownerBusy);

    // ---- handlers
    void Label4Click();  // the e-mail address
    void Label5Click();  // the web page
    // Entering and leaving either contact label.
    void Label4MouseEnter(QLabel* sender);
    void Label4MouseLeave(QLabel* sender);
    // A click on the box, the panel or a label other than the contact labels.
    void FormClick();

    // ---- components
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;  // "Quomira v" + the version
    QLabel* Label2 = nullptr;  // "Autor programu :"
    QLabel* Label3 = nullptr;  // the author
    QLabel* Label4 = nullptr;  // the author's e-mail address
    QLabel* Label7 = nullptr;  // "Opis programu :"
    QLabel* Label5 = nullptr;  // the web page
    QLabel* Label6 = nullptr;  // the notice line

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The labels size themselves to their texts, set by then.
    void showEvent(QShowEvent* event) override;

private:
    void CreateComponents();
    QLabel* AddLabel(const QString& text, int top, int left, int pixelSize, bool bold, const QColor& colour);

    platform::Opener& opener_;
    std::function<bool()> ownerBusy_;
};
