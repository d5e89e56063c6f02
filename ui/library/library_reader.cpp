// Reading the library behind the Library window's back.
#include "library/library_reader.h"

#include "preset/preset_text.h"

#include <algorithm>

namespace tarnwick {

LibraryReader::LibraryReader(std::optional<std::filesystem::path> path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {}

LibraryReader::~LibraryReader() = default;

PresetLibrary* LibraryReader::library() {
    if (!m_library) {
        auto opened = std::make_unique<PresetLibrary>();
        if (!m_path) {
            return nullptr;
        }
        if (!opened->open(*m_path, LibraryAccess::Read)) {
            const QString reason =
                QString::fromStdString(LibraryProblemText(*m_path, opened->error()));
            QMetaObject::invokeMethod(this, [this, reason] {
                if (failed) {
                    failed(reason);
                }
            });
            return nullptr; // tried again with the next read
        }
        m_library = std::move(opened);
        m_seenVersion = m_library->dataVersion(); // what watch() compares with
    }
    return m_library.get();
}

template <typename Read> void LibraryReader::inBackground(Read read) {
    m_thread.run([this, read] {
        PresetLibrary* opened = library();
        if (!opened) {
            return;
        }
        read(*opened);
    });
}

void LibraryReader::search(const LibraryQuery& query, SoundNamer names, std::string sound,
                           std::size_t limit) {
    if (!m_path) {
        if (failed) {
            failed(QStringLiteral("The library is switched off (TARNWICK_LIBRARY=off)."));
        }
        return;
    }
    const unsigned mine = ++m_newestSearch;
    inBackground([this, query, mine, names, sound, limit](PresetLibrary& opened) {
        if (mine != m_newestSearch) {
            return; // a newer search waits behind this one
        }
        auto presets = opened.search(query);
        if (presets && names) {
            if (!sound.empty()) {
                std::erase_if(*presets, [&](const LibraryPreset& preset) {
                    // With a channel given, the sound is the one that channel plays.
                    return mine != m_newestSearch ||
                           !SelectsSound(preset.record, names, sound, query.channel);
                });
                if (limit > 0 && presets->size() > limit) {
                    presets->resize(limit);
                }
            }
            const ChannelNamer shown = [&names](int channel, const ChannelSlot& slot) {
                return names(channel, slot).shown;
            };
            for (LibraryPreset& preset : *presets) {
                preset.channels = ChannelsSummary(preset.record, shown);
            }
        }
        const QString reason = QString::fromStdString(LibraryProblemText(*m_path, opened.error()));
        QMetaObject::invokeMethod(this, [this, presets = std::move(presets), reason, mine] {
            if (mine != m_newestSearch) {
                return;
            }
            if (!presets) {
                if (failed) {
                    failed(reason);
                }
            } else if (found) {
                found(*presets);
            }
        });
    });
}

void LibraryReader::listBanks() {
    if (!m_path) {
        return;
    }
    inBackground([this](PresetLibrary& opened) {
        auto banks = opened.banks();
        const QString reason = QString::fromStdString(LibraryProblemText(*m_path, opened.error()));
        QMetaObject::invokeMethod(this, [this, banks = std::move(banks), reason] {
            if (!banks) {
                if (failed) {
                    failed(reason);
                }
            } else if (banksListed) {
                banksListed(*banks);
            }
        });
    });
}

void LibraryReader::watch() {
    if (!m_path) {
        return;
    }
    m_thread.run([this] {
        std::error_code ignored;
        if (!std::filesystem::exists(*m_path, ignored)) {
            return;
        }
        const bool appeared = !m_library;
        if (appeared) {
            auto opened = std::make_unique<PresetLibrary>();
            if (!opened->open(*m_path, LibraryAccess::Read)) {
                return;
            }
            m_library = std::move(opened);
        }
        const auto version = m_library->dataVersion();
        if (!appeared && std::exchange(m_seenVersion, version) == version) {
            return;
        }
        m_seenVersion = version;
        QMetaObject::invokeMethod(this, [this] {
            if (changed) {
                changed();
            }
        });
    });
}

std::optional<std::vector<PresetRecord>> LibraryReader::bank(std::int64_t id, std::string& reason) {
    PresetLibrary opened;
    if (!m_path || !opened.open(*m_path, LibraryAccess::Read)) {
        reason = m_path ? opened.error() : "is switched off";
        return std::nullopt;
    }
    auto presets = opened.bank(id);
    reason = opened.error();
    return presets;
}

void LibraryReader::waitForDone() {
    m_thread.waitForDone();
}

} // namespace tarnwick
