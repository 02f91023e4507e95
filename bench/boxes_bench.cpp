// Times the delete question for 10,000 selected links, run by hand outside
// the test suite:  boxes_bench [rounds] [--baseline]
// Goal: under 0.2 s from the command to the question on the screen, through
// the window's own handler and the real message box (answered "Nie", so
// nothing is deleted). --baseline also times a bare QMessageBox given the
// same text, once (it takes seconds).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "bench/BenchCatalogue.h"
#include "bench/BenchTiming.h"
#include "bench/BenchWorld.h"
#include "platform/QtBoxes.h"
#include "store/Db_funcs.h"
#include "store/Funcs.h"
#include "window/mainwindow/dovra_.h"
#include "window/widgets/LineListBox.h"

namespace {

constexpr int kLinks = 10000;
constexpr double kGoalMs = 200;

// Runs command; once a modal box is on the screen the time is taken and the
// box is answered by clicking the button captioned answer.
double TimeUntilShown(const std::function<void()>& command, const QString& answer)
{
    double shownMs = -1;
    const Clock::time_point start = Clock::now();
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible() || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        poll.stop();
        shownMs = Milliseconds(start);
        for (QPushButton* button : box->findChildren<QPushButton*>())
            if (button->text() == answer)
                button->click();
    });
    poll.start();
    command();
    return shownMs;
}

int BuildCatalogue(const std::string& folder)
{
    DbAddCategories(folder, {CategoryLine(-1, 1, "Wiele", "")});
    const int catId = CategoryIds(folder)[0];
    Lines links;
    for (int k = 0; k < kLinks; ++k)
        links.push_back(
            LinkLine(-1, catId, k + 1, "http://www.example.org/catalogue/page" + std::to_string(k) + ".html", ""));
    DbInsertLinks(folder, links);
    return catId;
}

}  // namespace

int main(int argc, char* argv[])
{
    int rounds = 5;
    bool baseline = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--baseline") == 0)
            baseline = true;
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }
    BenchApplication bench(argc, argv);
    const BenchWorld& world = bench.world;
    BuildCatalogue(world.ArchiveFolder());

    platform::QtBoxes boxes;
    TForm1 form(boxes, world.ExePath());
    if (!StartAndShow(form))
        return 1;
    ChooseCategory(form, 1);
    std::vector<int> all(static_cast<std::size_t>(form.ListBox1->Count()));
    for (std::size_t k = 0; k < all.size(); ++k)
        all[k] = static_cast<int>(k);

    std::vector<double> question;
    for (int round = 0; round < rounds; ++round) {
        form.ListBox1->SetSelectedRows(all);
        QCoreApplication::processEvents();
        question.push_back(TimeUntilShown([&] { form.Usutenlink1Click(); }, QStringLiteral("Nie")));
    }
    if (form.ListBox1->Count() != kLinks) {
        std::fputs("links were deleted\n", stderr);
        return 1;
    }
    Report("delete question for 10,000 links, until shown", question, kGoalMs);

    if (baseline) {
        QString text = QStringLiteral("Czy napewno usunąć link(i) :");
        for (int row : all)
            text += QLatin1Char('\n') + QString::fromStdString(GetTagValue(form.ListBox1->Item(row), "<l>"));
        const double bare = TimeUntilShown(
            [&] {
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Zapytanie"), text, QMessageBox::NoButton, &form);
                box.addButton(QStringLiteral("Tak"), QMessageBox::AcceptRole);
                box.addButton(QStringLiteral("Nie"), QMessageBox::AcceptRole);
                box.exec();
            },
            QStringLiteral("Nie"));
        Report("baseline: a bare QMessageBox with the same text, once", {bare}, 0);
    }
    return Median(question) < kGoalMs ? 0 : 2;
}
