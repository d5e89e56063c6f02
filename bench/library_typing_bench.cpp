// The Library window while a name is typed into its search field, on a large library (the
// one tarnwick-library-bench leaves in its folder), then a sound's name into its Sound
// field under the rig (TARNWICK_RIG; say, four of ardour-data's synths): how long the GUI
// thread is held at once, by each keystroke and by each answer that arrives, at a
// typist's pace.
//   tarnwick-library-typing-bench LIBRARY [TEXT [SOUND]]   (default: "strings 5", "piano")
#include "bench_support.h"
#include "library/library_form.h"
#include "library/library_recorder.h"
#include "main_window/main_form.h"
#include "sounds/rig_service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnwick;

int main(int argc, char** argv) {
    bench::DrawOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwick-library-typing-bench LIBRARY [TEXT]\n");
        return 2;
    }
    const QString text = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("strings 5");
    const QString sound = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("piano");
    bench::FixedAnswers interaction;
    TMainForm main(interaction);
    LibraryRecorder recorder{std::filesystem::path(argv[1])};
    TLibraryForm library(main, recorder, interaction);
    library.show();
    library.waitForReads();
    auto* field = library.findChild<QLineEdit*>(QStringLiteral("edLibrarySearch"));

    // Every stretch of work the GUI thread does: a keystroke, then the events that follow
    // it (the answers of the reading thread among them) for as long as a typist pauses.
    constexpr int kPauseMs = 80;
    std::vector<double> holds;
    const auto timed = [&holds](const auto& work) {
        QElapsedTimer timer;
        timer.start();
        work();
        holds.push_back(double(timer.nsecsElapsed()) / 1e6);
    };
    const auto type = [&](QLineEdit* into, const QString& typed) {
        holds.clear();
        for (qsizetype i = 1; i <= typed.size(); ++i) {
            timed([&] { into->setText(typed.left(i)); });
            QElapsedTimer pause;
            pause.start();
            while (pause.elapsed() < kPauseMs) {
                timed([] { QApplication::processEvents(QEventLoop::AllEvents); });
            }
        }
        library.waitForReads();
        timed([] { QApplication::processEvents(QEventLoop::AllEvents); });
        std::sort(holds.begin(), holds.end());
        std::printf("typed \"%s\" at one key per %d ms: %d results; GUI thread held at most "
                    "%.1f ms at once (99th percentile %.2f ms, %zu stretches)\n",
                    qPrintable(typed), kPauseMs, library.results()->topLevelItemCount(),
                    holds.back(), holds[std::size_t(0.99 * double(holds.size() - 1))],
                    holds.size());
        return holds.back();
    };
    double longest = type(field, text);

    // The Sound field, with the rig's instruments read.
    RigService rig(InstrumentLibrary::DefaultFolders(), DefaultRigPath());
    rig.waitForLoaded();
    if (!rig.names().any()) {
        std::printf("no rig names a sound (TARNWICK_RIG): the Sound field is not typed in\n");
    } else {
        library.setNamer(rig.soundNamer());
        field->clear();
        library.waitForReads();
        QApplication::processEvents(QEventLoop::AllEvents);
        auto* soundField = library.findChild<QLineEdit*>(QStringLiteral("edLibrarySound"));
        longest = std::max(longest, type(soundField, sound));
    }
    return longest < 50 ? 0 : 1;
}
