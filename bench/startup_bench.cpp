// Start-up benchmark: time from process start to the main window's first paint with all
// eight windows created, against a minimal Qt Widgets window, side by side in one run.
//   tarnwick-startup-bench [ROUNDS]
// Each round starts both programs as fresh processes (alternating which goes first) and
// reports the median times, their ratio and the editor's resident memory at first paint.
#include "audition_player.h"
#include "clock.h"
#include "cycle_lock.h"
#include "main_window/main_form.h"
#include "port_layer.h"
#include "rtmidi_backend.h"
#include "rtmidi_inputs.h"
#include "startup.h"
#include "support/desktop_services.h"
#include "support/qt_user_interaction.h"
#include "tarnwick_application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return 0;
}

// Reports once the watched window has painted, then ends the program.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                std::printf("READY %ld\n", residentKiB());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

int runEditor(int argc, char** argv) {
    tarnwick::TarnwickApplication app(argc, argv);
    tarnwick::QtUserInteraction interaction;
    tarnwick::QtDesktopServices desktop;
    tarnwick::SystemClock clock;
    tarnwick::RtMidiBackend midi;
    tarnwick::FileCycleLock cycleLock;
    tarnwick::MidiPortLayer ports(midi, clock, cycleLock);
    tarnwick::AuditionPlayer audition(midi, clock);
    tarnwick::RtMidiInputs inputs("Tarnwick Editor");
    tarnwick::MidiListener listener(inputs);
    tarnwick::AppWindows windows({interaction, desktop, clock, ports, audition, listener,
                                  QCoreApplication::applicationDirPath()});
    FirstPaint watcher;
    windows.mainForm()->installEventFilter(&watcher);
    windows.mainForm()->show();
    return QApplication::exec();
}

int runMinimal(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Hello"));
    window.resize(515, 704);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}

struct Sample {
    double ms = 0;
    long rssKiB = 0;
};

bool runChild(const QString& mode, Sample& sample) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("DISPLAY")) &&
        !env.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
    QByteArray line;
    while (!line.contains('\n') && child.waitForReadyRead(30000)) {
        line += child.readAllStandardOutput();
    }
    sample.ms = double(timer.nsecsElapsed()) / 1e6;
    child.waitForFinished(30000);
    if (!line.startsWith("READY")) {
        std::fprintf(stderr, "%s: no first paint (%s)\n", qPrintable(mode),
                     child.readAllStandardError().constData());
        return false;
    }
    sample.rssKiB = line.mid(6).trimmed().toLong();
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child") {
        return QByteArray(argv[2]) == "editor" ? runEditor(argc, argv) : runMinimal(argc, argv);
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 15;

    std::vector<double> editorMs, minimalMs, editorRss, minimalRss;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool editor = (round + turn) % 2 == 0;
            Sample sample;
            if (!runChild(editor ? QStringLiteral("editor") : QStringLiteral("minimal"), sample)) {
                return 1;
            }
            (editor ? editorMs : minimalMs).push_back(sample.ms);
            (editor ? editorRss : minimalRss).push_back(double(sample.rssKiB));
        }
    }
    const double e = median(editorMs);
    const double m = median(minimalMs);
    std::printf("rounds: %d\n", rounds);
    std::printf("editor:  median %.1f ms to first paint, RSS %.1f MiB\n", e,
                median(editorRss) / 1024);
    std::printf("minimal: median %.1f ms to first paint, RSS %.1f MiB\n", m,
                median(minimalRss) / 1024);
    std::printf("ratio editor/minimal: %.2f\n", e / m);
    return 0;
}
