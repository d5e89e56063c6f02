// "Library": every preset and bank the editor and tarnwick-syx recorded, found by a part of
// the name as it is typed and by channel and program. A found preset is dragged onto a
// slot of the Bank Organizer, played with Enter or a double-click, and the bank it came
// from opened from its context menu; the Banks page lists and opens the banks recorded.
// The library is read on a thread of its own, read-only, when the window is first shown; a
// library that cannot be used is said in the window's status line, and the rest of the
// editor goes on without it. What is selected stays selected, by ID, as the lists change.
#pragma once

#include "instruments/sound_names.h"
#include "library/library_reader.h"
#include "library/preset_library.h"
#include "preset/preset_text.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeWidget;

namespace tarnwick {

class LibraryRecorder;
class PresetView;
class UserInteraction;
class WindowPlace;

class TLibraryForm final : public QWidget {
    Q_OBJECT
public:
    // At most this many presets are listed, newest first, so that typing never waits.
    static constexpr std::size_t kShownResults = 500;

    TLibraryForm(PresetView& view, LibraryRecorder& recorder, UserInteraction& interaction,
                 QWidget* parent = nullptr);
    ~TLibraryForm() override;

    // How a preset is played (as Ctrl+P plays the shown one), and how a bank file is opened
    // (as Open All opens it once chosen).
    void setPlayer(std::function<void(const PresetRecord&)> play) { m_play = std::move(play); }
    void setBankFileOpener(std::function<void(const QString&)> open) {
        m_openFile = std::move(open);
    }

    // The sounds' names after the results' channel values (the rig's), and the Sound
    // filter; neither when empty.
    void setNamer(SoundNamer names);
    QLineEdit* soundFilter() const { return m_sound; }
    QTreeWidget* results() const { return m_results; }
    QTreeWidget* banks() const { return m_banks; }
    QLabel* status() const { return m_status; }
    // Asks for the search the fields describe; the results list follows when it is answered.
    void search();
    // Asks for the list of banks again.
    void listBanks();
    // Waits until what was asked of the library is answered and shown (for tests).
    void waitForReads() { m_reader.waitForDone(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFound(std::vector<LibraryPreset> presets);
    void showBanks(std::vector<LibraryBank> banks);
    void showCounts();
    void playResult();
    // Delete: forgets the chosen banks, or the one-preset files of the chosen presets, once
    // the user agrees; the files themselves are not touched.
    void forgetChosen();
    // Opens bank `id` recorded from `source`: the file itself when it is still there, as
    // Open All would; else the library's copy, as one undo step.
    void openBank(std::int64_t id, const QString& source);

    PresetView& m_view;
    LibraryRecorder& m_recorder;
    UserInteraction& m_interaction;
    std::function<void(const PresetRecord&)> m_play;
    std::function<void(const QString&)> m_openFile;
    LibraryReader m_reader;
    std::unique_ptr<WindowPlace> m_place;
    std::vector<LibraryPreset> m_found;
    SoundNamer m_names;
    std::vector<LibraryBank> m_bankList;
    QString m_recordingFailure; // the first recording that failed, said until the end

    QLineEdit* m_text = nullptr;
    QLineEdit* m_sound = nullptr; // shown with a rig
    QSpinBox* m_channel = nullptr;
    QSpinBox* m_program = nullptr;
    QCheckBox* m_showDefaults = nullptr;
    QTabWidget* m_pages = nullptr;
    QTreeWidget* m_results = nullptr;
    QTreeWidget* m_banks = nullptr;
    QLabel* m_status = nullptr;
    QTimer* m_watch = nullptr; // looks for changes by other programs while shown
};

} // namespace tarnwick
