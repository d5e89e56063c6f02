// Tarnwick Editor: names the application, creates its windows and runs the event loop
// until the main window closes.
#include "audition_player.h"
#include "cycle_lock.h"
#include "main_window/main_form.h"
#include "midi_listener.h"
#include "port_layer.h"
#include "rtmidi_backend.h"
#include "rtmidi_inputs.h"
#include "startup.h"
#include "support/application_title.h"
#include "support/desktop_services.h"
#include "support/error_box.h"
#include "support/event_pumping_clock.h"
#include "support/project_icon.h"
#include "support/qt_user_interaction.h"
#include "tarnwick_application.h"

#include <QTimer>

#include <exception>

int main(int argc, char** argv) {
    using namespace tarnwick;
    TarnwickApplication app(argc, argv);
    QtUserInteraction interaction;
    QtDesktopServices desktop;
    EventPumpingClock clock; // pauses keep the windows painting
    RtMidiBackend midi;
    FileCycleLock cycleLock; // our programs take turns with the keypad
    MidiPortLayer ports(midi, clock, cycleLock);
    RtMidiBackend auditionMidi; // apart, so that playing leaves the keypad's connection be
    AuditionPlayer audition(auditionMidi, clock);
    RtMidiInputs learnInputs("Tarnwick Editor"); // apart too: listening is no cycle
    MidiListener listener(learnInputs);
    app.setInteraction(&interaction);
    QApplication::setWindowIcon(ProjectIcon("tarnwick-editor"));
    try {
        AppWindows windows({interaction, desktop, clock, ports, audition, listener,
                            QCoreApplication::applicationDirPath()});
        windows.mainForm()->show();
        // A file to open, as the file manager names it: once the window is up.
        const QStringList arguments = QCoreApplication::arguments().mid(1);
        if (!arguments.isEmpty()) {
            QTimer::singleShot(0, windows.mainForm(), [&windows, path = arguments.first()] {
                windows.openArgument(path);
            });
        }
        return QApplication::exec();
    } catch (const std::exception& error) {
        ShowStandardError(interaction, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowStandardError(interaction, QStringLiteral("Unknown error"));
    }
    return 1;
}
