// The "Edit MIDI Data" window: builds a preset's 16 raw MIDI bytes from standard events
// (kind, channel and two values on sliders) or typed bytes, in a strip of 16 cells.
#pragma once

#include "preset/midi_data_buffer.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTableWidget;

namespace tarnwick {

class UserInteraction;

class TMidiEventsForm final : public QDialog {
    Q_OBJECT
public:
    explicit TMidiEventsForm(UserInteraction& interaction, QWidget* parent = nullptr);

    // The working buffer the main window hands in and takes back.
    MidiDataBuffer& buffer() { return m_buffer; }
    // The strip of cells: there once the window has been shown.
    QTableWidget* grid() const { return m_grid; }
    // The controls are built when the window is first shown, so that they cost the
    // program's start nothing.
    void setVisible(bool visible) override;
    QString previewText() const;

protected:
    // Each showing: Note On again, strip and preview refreshed, first free cell selected.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // Escape does not close the window
    void closeEvent(QCloseEvent* event) override;  // the close box acts as OK

private:
    void buildControls();
    void buildStandardGroup();
    void buildCustomGroup();
    void buildDataGroup();

    void kindClick(int status); // a kind's button, by its base status byte
    void RefreshGrid();
    void RefreshEventPreview();
    void InsertStandardButtonClick();
    void InsertCustomButtonClick();
    void GridSelectCell(int cell);
    void GridDblClick();
    void btnEraseAllClick();
    void showSelection();
    std::vector<std::uint8_t> composedEvent() const;
    // True when a key would type past the entry's length.
    bool limitEntry(QKeyEvent* key);

    UserInteraction& m_interaction;
    MidiDataBuffer m_buffer;
    std::uint8_t m_eventKind = 0x90;
    int m_entryLength = 2; // characters the entry takes: 2 Hex, 3 Decimal

    QButtonGroup* m_kinds = nullptr;
    QLabel* m_lblMidiChannel = nullptr;
    QSlider* m_tbMidiChannel = nullptr;
    QLineEdit* m_edMidiChannel = nullptr;
    std::array<QLabel*, 2> m_lblParam{};
    std::array<QSlider*, 2> m_tbParam{};
    std::array<QLineEdit*, 2> m_edParam{};
    QLineEdit* m_edManualInput = nullptr;
    QRadioButton* m_rbHexadecimal = nullptr;
    QTableWidget* m_grid = nullptr;
    QLabel* m_preview = nullptr;
};

} // namespace tarnwick
