// The main editor window: shows and edits one preset of the bank at a time, and carries
// the tool bar through which every other function is reached. The file, download,
// audition and direct-MIDI commands work on it through PresetView (the upgrade needs none
// of it); it asks for every command through its signals, each run under one guard.
#pragma once

#include "connection_mode.h"
#include "main_window/preset_view.h"
#include "main_window/sound_column.h"
#include "preset/bank_history.h"
#include "preset/preset_record.h"

#include <QMainWindow>

#include <array>
#include <functional>

class QAction;
class QActionGroup;
class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace tarnwick {

class ChannelGrid;
class TMidiEventsForm;
class TPresetListForm;
class UpDownControl;
class UserInteraction;

class TMainForm final : public QMainWindow, public PresetView {
    Q_OBJECT
public:
    explicit TMainForm(UserInteraction& interaction, QWidget* parent = nullptr);
    ~TMainForm() override;

    PresetBank& bank() override { return m_bank; }
    const PresetBank& bank() const { return m_bank; }
    bool presetEdited() const { return m_presetEdited; }
    bool loadingPreset() const { return m_loadingPreset; }
    ConnectionMode connectionMode() const override { return m_connectionMode; }
    void setConnection(ConnectionMode mode, const QString& status) override;

    // Windows created after this one that it works with.
    void setPresetListForm(TPresetListForm* form);
    void setMidiEventsForm(TMidiEventsForm* form) { m_midiEventsForm = form; }

    void showDownloadProgress(int presetNumber) override;
    // A mark at the status bar's end that the library recorded nothing, `text` saying why
    // in its tip; shown from the first failure on.
    void showLibraryProblem(const QString& text);
    void clearDownloadProgress() override;
    // True while a command asked for on the window runs (a file command, a download,
    // the upgrade, ...): nothing else may change the bank meanwhile.
    bool commandRunning() const override { return m_commandRunning; }
    bool closing() const override { return m_closing; }

    // Window to record and record to window, for the preset at currentPresetIndex.
    void storePresetToBank();
    PresetRecord shownPreset() const override;
    void loadPresetFromBank() override;
    // Stores the window into the current preset when it holds user edits.
    void flushEdits() override;
    // Stores pending edits, then shows preset `number` (1 to 100).
    void goToPreset(int number);
    // Every preset back to its default; preset 1 shown.
    void newBank();
    // Rebuilds the preset list's lines from the bank.
    void updatePresetsList() override;
    // Shows `number` in the preset-number field; the field's change reaction moves the
    // window there unless it already shows that preset.
    void showPresetNumber(int number);
    // Loads the current preset and shows its number in the field; the field's change
    // reaction does the loading when the number changes, so it is done once.
    void showCurrentPreset() override;
    void returnToFirstPreset() override;
    void paintNow() override { repaint(); }
    void runCommand(const std::function<void()>& command) override;
    void choosePreset(int number) override { presetListChoose(number); }
    void undoBankChange(bool redo) override;

    ChannelGrid* channelGrid() const { return m_grid; }
    // The sounds' names in a column right of the program changes, while `names` is given;
    // without it the window is as it always was.
    void setSoundNames(SoundNamer names) override;
    SoundColumn* soundColumn() const { return m_soundColumn; }
    const SoundNamer& soundNames() const override { return m_soundNames; }
    void applyChannel(int channel, const ChannelSlot& slot) override;
    QLabel* statusPanel(int index) const;
    void showStatus(const QString& text) override;
    QString statusText() const override;
    // Learn's check mark in the MIDI menu, and its mark at the end of the status bar.
    void showLearning(bool on, const QString& input) override;
    QWidget* dialogParent() override { return this; }

signals:
    // The tool bar's commands that others carry out: the file commands, the downloads
    // and the upgrade (each asked for only while no transfer runs), About and the manual.
    void openOneRequested();
    void openAllRequested();
    void saveOneRequested();
    void saveAllRequested();
    void downloadCurrentRequested();
    void downloadAllRequested();
    void upgradeRequested();
    void aboutRequested();
    void manualRequested();
    // "Direct MIDI ...": choose the interface.
    void directMidiRequested();
    // Ctrl+P: play the shown preset to the audition output; Ctrl+Shift+P: choose it.
    void playRequested();
    void chooseAuditionOutputRequested();
    // Ctrl+I: start or stop learning from the synths; Ctrl+Shift+I: choose their input.
    void learnRequested();
    void chooseLearnInputRequested();
    // A .syx file dropped on the window, to be opened as the Open commands would.
    void fileDropped(const QString& path);
    // Ctrl+B: show or hide the Bank Organizer.
    void bankOrganizerRequested();
    // Ctrl+Shift+L: show or hide the Library.
    void libraryRequested();
    // Ctrl+R: show or hide the rig.
    void rigRequested();
    // Ctrl+K on a channel's control, or "Choose Sound..." on its sound: choose by name.
    void chooseSoundRequested(int channel);
    // The bank or the preset shown changed: a view of the whole bank brings itself up to date.
    void bankShown();

public slots:
    // A user change to the shown preset's contents.
    void SomethingChanged();

protected:
    void showEvent(QShowEvent* event) override;
    // The window stays while a command runs; otherwise closing it ends the program.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // One .syx file may be dropped on the window; several files, a folder or another kind
    // of file are refused, and the drag cursor says so.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr int kToolBarHeight = 41;
    // The tool bar and its menus (main_form_tool_bar.cpp).
    void buildToolBar();
    void buildPresetGroups(QWidget* central);
    void buildDataGroups(QWidget* central);
    void buildStatusBar();
    void setTabOrder();
    // Shortcuts of the window's own: the preset list, the MIDI data, previous and next
    // preset, undo and redo.
    void buildKeyboard();
    // The window's channel values and placement into `record`.
    void shownSlotsInto(PresetRecord& record) const;

    // Handlers of the window's own controls.
    bool edPresetKeyPress(QKeyEvent* event); // true when the key was taken
    void edPresetChange();
    bool edPresetExit(); // true when it moved to the number in the field
    void presetUpDownStep(int delta);
    void presetListChoose(int number);
    void presetListTab();
    void mnuFileModeClick();
    void mnuExternalAppClick();
    void mnuDirectMIDIClick();
    void setConnectionMode(ConnectionMode mode); // the mode and its check mark
    void btnArbMidiDataClick();
    // Records what changed in the bank since the last change recorded, as one undo step.
    void takeInBankChanges();
    void mnuNewClick();
    void btnShowPresetsClick();
    void btnExitClick();

    UserInteraction& m_interaction;
    PresetBank m_bank;
    bool m_presetEdited = false;
    bool m_loadingPreset = false;
    bool m_paddingName = false; // the name padding of a store is no user edit
    bool m_shownOnce = false;
    bool m_checkingPresetNumber = false; // the leave check's message is up
    ConnectionMode m_connectionMode = ConnectionMode::NotChosen;
    BankHistory m_history{m_bank};
    // The MIDI menu's item of each connection mode, by the mode's value.
    std::array<QAction*, 4> m_modeItems{};
    QAction* m_learnItem = nullptr;
    bool m_learning = false;

    TPresetListForm* m_presetListForm = nullptr;
    TMidiEventsForm* m_midiEventsForm = nullptr;
    bool m_commandRunning = false;
    bool m_closing = false; // closed while a command ran
    int m_lastChannel = 0;  // the channel whose control last had the focus
    QMetaObject::Connection m_focusWatch;

    QLineEdit* m_edPreset = nullptr;
    UpDownControl* m_presetUpDown = nullptr;
    QLineEdit* m_edPresetName = nullptr;
    ChannelGrid* m_grid = nullptr;
    QComboBox* m_cboxPrePost = nullptr;
    QLineEdit* m_edArbMidiData = nullptr;
    QWidget* m_btnArbMidiData = nullptr;
    QToolButton* m_btnShowPresets = nullptr;
    QLabel* m_statusPanels[2] = {nullptr, nullptr};
    SoundNamer m_soundNames;
    SoundColumn* m_soundColumn = nullptr;
};

} // namespace tarnwick
