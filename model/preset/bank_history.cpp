// The steps of undo and redo.
#include "preset/bank_history.h"

namespace tarnwick {

void BankHistory::takeIn(const PresetBank& bank) {
    if (bank.presets() == m_recorded) {
        return;
    }
    m_undo.push_back(m_recorded);
    if (m_undo.size() > m_limit) {
        m_undo.pop_front();
    }
    m_redo.clear();
    m_recorded = bank.presets();
}

PresetIndex BankHistory::changedPreset(const Presets& a, const Presets& b) {
    int changed = -1;
    for (int i = 0; i < kPresetCount; ++i) {
        if (a[std::size_t(i)] != b[std::size_t(i)]) {
            if (changed >= 0) {
                return PresetIndex::fromZeroBase(0);
            }
            changed = i;
        }
    }
    return PresetIndex::fromZeroBase(changed < 0 ? 0 : changed);
}

std::optional<PresetIndex> BankHistory::move(std::deque<Presets>& from, std::deque<Presets>& to,
                                             PresetBank& bank) {
    if (from.empty()) {
        return std::nullopt;
    }
    to.push_back(m_recorded);
    m_recorded = from.back();
    from.pop_back();
    const PresetIndex shown = changedPreset(to.back(), m_recorded);
    bank.setPresets(m_recorded);
    return shown;
}

std::optional<PresetIndex> BankHistory::undo(PresetBank& bank) {
    return move(m_undo, m_redo, bank);
}

std::optional<PresetIndex> BankHistory::redo(PresetBank& bank) {
    return move(m_redo, m_undo, bank);
}

} // namespace tarnwick
