// Recording in the library behind the editor's back.
#include "library/library_recorder.h"

#include "library/preset_library.h"
#include "preset/preset_message.h"

namespace tarnwick {

LibraryRecorder::LibraryRecorder(std::optional<std::filesystem::path> path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {
    m_thread.setMaxThreadCount(1);
}

LibraryRecorder::~LibraryRecorder() {
    m_thread.waitForDone();
}

void LibraryRecorder::record(const PresetBank& bank, const QString& source, const char* action) {
    std::vector<PresetRecord> presets;
    for (int i = 0; i < kPresetCount; ++i) {
        presets.push_back(CarriedByMessage(bank[PresetIndex::fromZeroBase(i)]));
    }
    record(std::move(presets), source, action);
}

void LibraryRecorder::record(const PresetRecord& preset, const QString& source,
                             const char* action) {
    record(std::vector<PresetRecord>{CarriedByMessage(preset)}, source, action);
}

void LibraryRecorder::record(std::vector<PresetRecord> presets, const QString& source,
                             const char* action) {
    inBackground([presets = std::move(presets), source = source.toStdString(),
                  action = std::string(action)](PresetLibrary& library) {
        return library.record(presets, source, "tarnwick-editor", action).has_value();
    });
}

void LibraryRecorder::remove(std::vector<std::int64_t> banks, std::vector<std::int64_t> presets) {
    inBackground([banks = std::move(banks), presets = std::move(presets)](PresetLibrary& library) {
        return library.remove(banks, presets).has_value();
    });
}

void LibraryRecorder::fail(const QString& reason) {
    if (m_failure.isEmpty()) {
        m_failure =
            QStringLiteral("Not recorded: %1")
                .arg(QString::fromStdString(LibraryProblemText(*m_path, reason.toStdString())));
        emit failed(m_failure);
    }
}

void LibraryRecorder::inBackground(std::function<bool(PresetLibrary&)> write) {
    if (!m_path) {
        return;
    }
    m_thread.start([this, write = std::move(write)] {
        if (!m_library) {
            m_library = std::make_unique<PresetLibrary>();
            if (!m_library->open(*m_path, LibraryAccess::Create)) {
                const QString reason = QString::fromStdString(m_library->error());
                m_library.reset(); // tried again with the next recording
                QMetaObject::invokeMethod(this, [this, reason] { fail(reason); });
                return;
            }
        }
        const bool done = write(*m_library);
        const QString reason = QString::fromStdString(m_library->error());
        QMetaObject::invokeMethod(this, [this, done, reason] {
            if (done) {
                emit recorded();
            } else {
                fail(reason);
            }
        });
    });
}

} // namespace tarnwick
