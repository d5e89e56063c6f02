// "Rig": which instrument listens on each MIDI channel, and with which of its name sets.
// Sixteen rows (channel, instrument chosen from a list that narrows as its field is typed
// in, name set); each change is kept in the rig's file at once.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;

namespace tarnwick {

struct Instrument;
class RigService;
class UserInteraction;
class WindowPlace;

class TRigForm final : public QWidget {
    Q_OBJECT
public:
    TRigForm(RigService& rig, UserInteraction& interaction, QWidget* parent = nullptr);
    ~TRigForm() override;

    QComboBox* instrumentBox(int channel) const { return m_instruments[std::size_t(channel - 1)]; }
    QComboBox* nameSetBox(int channel) const { return m_nameSets[std::size_t(channel - 1)]; }
    // What is wrong with a row: typed text that names no instrument, with the nearest.
    QLabel* rowNote(int channel) const { return m_notes[std::size_t(channel - 1)]; }
    QLabel* status() const { return m_status; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rows from the rig and the instruments found.
    void fill();
    void fillNameSets(int channel);
    // The rows into the rig, kept: only instruments that exist; a row whose text names
    // none keeps what the rig had there and is marked with the nearest names.
    void keep();
    // The instrument a row's text names, in any letter case; nothing for none.
    // The instruments the typed text names in any spelling; the one, when it names one.
    std::vector<const Instrument*> typedInstruments(int channel) const;
    const Instrument* typedInstrument(int channel) const;
    // A row's text checked as its field is left: an instrument chosen, or the row marked.
    void checkTyped(int channel);
    // "Add Instrument File...": a file checked, then copied into the user's own folder.
    void addInstrumentFile();

    RigService& m_rig;
    UserInteraction& m_interaction;
    std::array<QComboBox*, 16> m_instruments{};
    std::array<QComboBox*, 16> m_nameSets{};
    std::array<QLabel*, 16> m_notes{};
    QLabel* m_status = nullptr;
    std::unique_ptr<WindowPlace> m_place;
    bool m_filling = false;
};

} // namespace tarnwick
