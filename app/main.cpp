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
#include "support/qt_user_interaction.h"
#include "tarnwick_application.h"

#include <QIcon>

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
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tarnwick-editor.svg")));
    try {
        AppWindows windows({interaction, desktop, clock, ports, audition, listener,
                            QCoreApplication::applicationDirPath()});
        windows.mainForm()->show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        ShowStandardError(interaction, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowStandardError(interaction, QStringLiteral("Unknown error"));
    }
    return 1;
}
