// Learn: while it is on, the bank selects and program changes a synth sends when a sound
// is chosen on its panel are written into the preset shown, channel by channel, as if
// typed; each learned program change is one undo step. Nothing is learned, and what
// arrives is dropped, while a command runs. Learn only listens: it sends nothing and
// never touches the keypad's interface.
#pragma once

#include "preset/midi_input.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

namespace tarnwick {

class MidiListener;
class PresetView;
class TLearnInputForm;
class UserInteraction;

class LearnCommand final : public QObject {
    Q_OBJECT
public:
    LearnCommand(PresetView& main, UserInteraction& interaction, MidiListener& listener);
    ~LearnCommand() override;

    // "Choose Learn Input"; false when cancelled or nothing was there to choose. While
    // learning, learning goes on from the input chosen.
    bool chooseInput();
    // Starts learning (asking for the input first when none is chosen yet) or stops it.
    void toggle();
    bool learning() const { return m_learning; }
    QString input() const { return m_input; }
    // "Choose Learn Input", made on first use.
    TLearnInputForm* form() const { return m_form; }
    // Stops learning, saying so once, when the input or its MIDI system has gone; the
    // timer asks twice a second.
    void checkInput();

    // Takes what the input received, on the window's thread: the take timer asks every
    // kTakeMs while learning (the MIDI thread never wakes the window: that would take a
    // lock there).
    void takeMessages();
    // The bank or the preset shown changed.
    void bankShown();
    // What the editor itself sends to the synths (Play, auditions): its echo is not learned.
    void editorSent(const std::vector<std::vector<std::uint8_t>>& messages,
                    SentEchoes::Clock::time_point when = SentEchoes::Clock::now());

    static constexpr int kInputCheckMs = 500;
    static constexpr int kTakeMs = 10;

private:
    bool start();
    void stop();
    void learn(const LearnedSound& learned);

    PresetView& m_main;
    TLearnInputForm* m_form = nullptr;
    UserInteraction& m_interaction;
    MidiListener& m_listener;
    ChannelLearner m_learner;
    SentEchoes m_echoes;
    // What the status bar was last told was learned.
    struct Said {
        QString text;
        int channel = 0;
        ChannelSlot slot;
    };
    std::optional<Said> m_said;
    QString m_input; // lasts until the editor ends
    bool m_learning = false;
    QTimer m_inputCheck;
    QTimer m_take;
};

} // namespace tarnwick
