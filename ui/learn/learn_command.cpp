// Learning a preset's channels from what the synths send.
#include "learn/learn_command.h"

#include "learn/midi_port_form.h"
#include "main_window/preset_view.h"
#include "midi_listener.h"
#include "port_in_use.h"
#include "preset/preset_text.h"
#include "support/user_interaction.h"

#include <QLabel>

namespace tarnwick {

LearnCommand::LearnCommand(PresetView& main, UserInteraction& interaction, MidiListener& listener)
    : QObject(main.dialogParent()), m_main(main), m_interaction(interaction), m_listener(listener) {
    m_inputCheck.setInterval(kInputCheckMs);
    connect(&m_inputCheck, &QTimer::timeout, this, &LearnCommand::checkInput);
    m_take.setInterval(kTakeMs);
    connect(&m_take, &QTimer::timeout, this, [this] {
        if (m_listener.waiting()) {
            takeMessages();
        }
    });
}

LearnCommand::~LearnCommand() {
    m_listener.close(); // no message is handed over any more
}

bool LearnCommand::chooseInput() {
    if (!m_form) {
        m_form = new TLearnInputForm(m_listener, m_main.dialogParent());
    }
    if (m_interaction.runModal(*m_form) != QDialog::Accepted || m_form->chosenPort().isEmpty()) {
        return false;
    }
    m_input = m_form->chosenPort();
    if (m_learning) {
        start();
    }
    return true;
}

void LearnCommand::toggle() {
    if (m_learning) {
        stop();
        return;
    }
    if (m_input.isEmpty() && !chooseInput()) {
        return;
    }
    start();
}

bool LearnCommand::start() {
    m_learner.reset();
    const bool opened = m_listener.open(m_input.toStdString(), &ChannelLearner::hears);
    if (!opened) {
        stop();
        m_interaction.message(QStringLiteral("MIDI Error!"),
                              m_listener.inputHeldElsewhere()
                                  ? QString::fromStdString(PortInUseText(m_input.toStdString()))
                                  : QStringLiteral("Could not listen to %1.").arg(m_input),
                              QMessageBox::Warning, QMessageBox::Ok);
        return false;
    }
    m_learning = true;
    m_inputCheck.start();
    m_take.start();
    m_main.showLearning(true, m_input);
    return true;
}

void LearnCommand::stop() {
    m_listener.close();
    m_inputCheck.stop();
    m_take.stop();
    m_learning = false;
    m_main.showLearning(false, m_input);
}

void LearnCommand::checkInput() {
    if (!m_learning || m_listener.inputPresent()) {
        return;
    }
    stop();
    m_interaction.message(QStringLiteral("Learn"),
                          QStringLiteral("Learn stopped: the MIDI input %1 is gone.").arg(m_input),
                          QMessageBox::Information, QMessageBox::Ok);
}

void LearnCommand::takeMessages() {
    const std::vector<HeardMessage> messages = m_listener.take();
    if (!m_learning || m_main.commandRunning()) {
        return; // paused: what came meanwhile is not learned later
    }
    for (const HeardMessage& message : messages) {
        if (m_echoes.isEcho(message, message.arrived)) {
            continue; // the synth sends back what the editor sent
        }
        if (const auto learned = m_learner.take(message)) {
            learn(*learned);
        }
    }
}

void LearnCommand::editorSent(const std::vector<std::vector<std::uint8_t>>& messages,
                              SentEchoes::Clock::time_point when) {
    m_echoes.sent(messages, when);
}

void LearnCommand::learn(const LearnedSound& learned) {
    const int channel = learned.channel;
    const PresetRecord shown = m_main.shownPreset();
    const ChannelSlot slot = LearnedSlot(shown.channel(channel), learned);
    m_main.applyChannel(channel, slot);
    QString text = QStringLiteral("Learned channel %1: %2")
                       .arg(channel)
                       .arg(QString::fromStdString(ChannelValues(slot)));
    if (const SoundNamer& names = m_main.soundNames()) {
        if (const std::string sound = names(channel, slot).shown; !sound.empty()) {
            text += ' ' + QString::fromStdString(sound);
        }
    }
    m_main.showStatus(text);
    m_said = {text, channel, slot};
}

void LearnCommand::bankShown() {
    // Once the preset shown no longer holds what was learned (that step undone, another
    // preset shown), the status bar stops saying it was learned.
    if (m_said && m_main.statusText() == m_said->text &&
        !(m_main.shownPreset().channel(m_said->channel) == m_said->slot)) {
        m_main.showStatus({});
        m_said.reset();
    }
}

} // namespace tarnwick
