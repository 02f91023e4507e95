// The progress window of a legacy catalogue conversion: a borderless white
// box with the words "Konwersja archiwum" and a running animation. It is
// shown without a modal loop while the import runs; the store's row pump
// keeps it painted. Whoever shows it owns it (std::unique_ptr), so it is
// closed and freed on every way out of the conversion.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;

// Stands for the class library's copy-files animation, which has no
// counterpart here: an indeterminate progress bar that moves while active.
class ProgressAnimation : public QWidget {
    Q_OBJECT
public:
    explicit ProgressAnimation(QWidget* parent);
    void SetActive(bool active);
    bool Active() const { return active_; }

private:
    QProgressBar* bar_;
    bool active_ = false;
};

class TForm10 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 326;
    static constexpr int ClientHeight = 134;

    // A top-level window of its own (owned by the application, not by a
    // window), centred on placeOver's place when given.
    explicit TForm10(const QWidget* placeOver = nullptr);

    // ---- components
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    ProgressAnimation* Animate1 = nullptr;

private:
    void CreateComponents();
};
