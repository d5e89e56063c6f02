// Undo and redo of bank changes. The history keeps the bank as it stood after the last
// change it took in; taking in the bank again records the difference as one step, whatever
// made it (edits stored, New, a file opened, the MIDI data window). A step is the whole
// bank before it: 8,100 bytes, copied and compared in microseconds.
#pragma once

#include "preset/preset_record.h"

#include <cstddef>
#include <deque>
#include <optional>

namespace tarnwick {

class BankHistory {
public:
    explicit BankHistory(const PresetBank& bank, std::size_t limit = 200)
        : m_recorded(bank.presets()), m_limit(limit) {}

    // Records the change from the state taken in last to `bank`, if there is one.
    void takeIn(const PresetBank& bank);
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Puts `bank` back as it was before the last step (after the step undone, for redo);
    // nothing when there is none. Take in the bank first, so that nothing is lost.
    // The preset the step changed, or preset 1 when it changed several.
    std::optional<PresetIndex> undo(PresetBank& bank);
    std::optional<PresetIndex> redo(PresetBank& bank);
    std::size_t steps() const { return m_undo.size(); }

private:
    using Presets = PresetBank::Presets;
    static PresetIndex changedPreset(const Presets& a, const Presets& b);
    std::optional<PresetIndex> move(std::deque<Presets>& from, std::deque<Presets>& to,
                                    PresetBank& bank);

    Presets m_recorded;
    std::deque<Presets> m_undo;
    std::deque<Presets> m_redo;
    std::size_t m_limit;
};

} // namespace tarnwick
