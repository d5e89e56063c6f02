// Preset move and file command benchmark:
//   tarnwick-navigation-bench [MOVES]
// - one preset move with a pending edit (goToPreset: store the window, load the next
//   preset into every control), median and 95th percentile over MOVES moves;
// - Save All and Open All with the real clock, against the time their fixed pauses add
//   up to (100 x 1 ms and 100 x 10 ms).
#include "bench_support.h"
#include "clock.h"
#include "commands/file_commands.h"
#include "main_window/channel_grid.h"
#include "main_window/channel_spin_edit.h"
#include "main_window/main_form.h"
#include "main_window/preset_number_dialog.h"
#include "support/desktop_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnwick;

namespace {

// Time passes, but pauses cost nothing: what the commands spend besides their pauses.
class SkippingClock final : public Clock {
public:
    void pause(Duration duration) override { m_skipped += duration; }
    TimePoint now() const override { return std::chrono::steady_clock::now() + m_skipped; }

private:
    Duration m_skipped{};
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[std::size_t(p * double(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    bench::DrawOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const int moves = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 1000;

    bench::FixedAnswers interaction;
    bench::NoDesktop desktop;
    SystemClock clock;
    TMainForm main(interaction);
    TSaveForm saveForm(&main);
    TLoadForm loadForm(&main);
    PresetFileCommands commands(main, saveForm, loadForm, interaction, clock);
    main.show();
    QApplication::processEvents();

    // Give the presets something to show in every control.
    for (int n = 1; n <= 100; ++n) {
        PresetRecord& record = main.bank()[PresetIndex::fromOneBase(n)];
        for (int c = 1; c <= kChannelCount; ++c) {
            record.channel(c)[SlotKind::Msb] = std::uint8_t((n + c) % 128);
            record.channel(c)[SlotKind::Lsb] = std::uint8_t(((n * c) % 128) | ((c % 2) << 7));
            record.channel(c)[SlotKind::Program] = std::uint8_t((n + 2 * c) % 128);
        }
    }

    std::vector<double> samples;
    samples.reserve(std::size_t(moves));
    for (int i = 0; i < moves; ++i) {
        main.channelGrid()->spinEdit(1, SlotKind::Msb)->setValue(i % 128); // a pending edit
        QElapsedTimer timer;
        timer.start();
        main.goToPreset(1 + (i % 100));
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    std::printf("preset move with a pending edit: median %.3f ms, p95 %.3f ms (%d moves)\n",
                percentile(samples, 0.5), percentile(samples, 0.95), moves);

    QTemporaryDir dir;
    interaction.path = dir.filePath(QStringLiteral("bank.syx"));
    // Save All then Open All, three times; the times in milliseconds.
    const auto timeRounds = [](PresetFileCommands& files, const auto& report) {
        for (int round = 0; round < 3; ++round) {
            QElapsedTimer timer;
            timer.start();
            files.saveAllPresets();
            const double save = double(timer.nsecsElapsed()) / 1e6;
            timer.restart();
            files.openAllPresets();
            report(save, double(timer.nsecsElapsed()) / 1e6);
        }
    };
    timeRounds(commands, [](double save, double open) {
        std::printf("Save All %.1f ms (pauses 100 ms, +%.1f%%), Open All %.1f ms (pauses 1000 ms, "
                    "+%.1f%%)\n",
                    save, (save / 100.0 - 1) * 100, open, (open / 1000.0 - 1) * 100);
    });
    SkippingClock skipping;
    PresetFileCommands unpaused(main, saveForm, loadForm, interaction, skipping);
    timeRounds(unpaused, [](double save, double open) {
        std::printf("without the pauses: Save All %.1f ms, Open All %.1f ms\n", save, open);
    });
    return 0;
}
