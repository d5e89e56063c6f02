// Download All over a real MIDI system, through the editor's own windows and commands,
// against its protocol floor: 100 messages, each held for 100 ms.
//   tarnwick-download-bench INTERFACE-NAME
// Run it through scripts/bench-midi, which starts a private JACK server and the keypad
// simulator.
#include "bench_support.h"
#include "commands/command_wiring.h"
#include "commands/direct_midi_command.h"
#include "commands/download_commands.h"
#include "commands/interface_form.h"
#include "cycle_lock.h"
#include "main_window/main_form.h"
#include "main_window/preset_number_dialog.h"
#include "port_layer.h"
#include "rtmidi_backend.h"
#include "support/event_pumping_clock.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace tarnwick;

int main(int argc, char** argv) {
    bench::DrawOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnwick-download-bench INTERFACE-NAME\n");
        return 2;
    }
    const QString keypad = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path()); // the temporary download file goes here

    bench::FixedAnswers interaction;
    bench::NoDesktop desktop;
    EventPumpingClock clock;
    RtMidiBackend midi;
    FileCycleLock cycleLock;
    MidiPortLayer ports(midi, clock, cycleLock);
    TMainForm main(interaction);
    auto* saveForm = new TSaveForm(&main);
    auto* chooser = new TInterfaceForm(ports, &main);
    DirectMidiCommand directMidi(main, *chooser, interaction);
    ConnectCommands(main, directMidi);
    PresetDownloads downloads(main, *saveForm, interaction, desktop, ports, clock);
    ConnectCommands(main, downloads);
    main.show();

    // Choose the keypad's interface in the chooser, as a user would.
    interaction.interfaceName = keypad;
    main.findChild<QAction*>("mnuDirectMIDI")->trigger();
    if (main.connectionMode() != ConnectionMode::DirectMidi) {
        std::fprintf(stderr, "could not choose %s\n", qPrintable(keypad));
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    main.findChild<QAction*>("mnuDownloadAll")->trigger();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("Download All: %.2f s against the 10 s floor (+%.1f%%); %s\n", seconds,
                (seconds / 10.0 - 1.0) * 100.0, qPrintable(interaction.messages.join("; ")));
    return interaction.messages == QStringList{QStringLiteral("Download Success: Downloaded OK!")}
               ? 0
               : 1;
}
