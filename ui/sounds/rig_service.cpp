// Reading instruments behind the editor's back, and keeping the rig.
#include "sounds/rig_service.h"

#include "platform/utf8_path.h"
#include "preset/preset_text.h"

namespace tarnwick {

RigService::RigService(std::vector<std::filesystem::path> folders,
                       std::optional<std::filesystem::path> rigPath, QObject* parent)
    : QObject(parent), m_folders(std::move(folders)), m_rigPath(std::move(rigPath)) {
    if (m_rigPath) {
        if (auto read = ReadRig(*m_rigPath, m_rigProblem)) {
            m_rig = *read;
        } else {
            m_rigProblem = "The rig " + Utf8Text(*m_rigPath) + ' ' + m_rigProblem +
                           ". It is left as it is: move it aside to set up a new rig.";
            m_rigDamaged = true;
        }
    }
}

RigService::~RigService() = default;

void RigService::load() {
    if (m_loading || m_library) {
        return;
    }
    m_loading = true;
    m_thread.run([this] {
        auto library = std::make_shared<InstrumentLibrary>();
        library->load(m_folders);
        QMetaObject::invokeMethod(this, [this, library] {
            m_loading = false;
            m_library = library;
            m_names = std::make_shared<const RigNames>(m_rig, *m_library);
            emit changed();
        });
    });
}

void RigService::reload() {
    m_thread.waitForDone();
    m_loading = false;
    m_library.reset();
    m_names = std::make_shared<const RigNames>();
    load();
}

void RigService::waitForLoaded() {
    load();
    m_thread.waitForDone();
}

bool RigService::setRig(const Rig& rig, std::string& error) {
    m_rig = rig;
    if (m_library) {
        m_names = std::make_shared<const RigNames>(m_rig, *m_library);
    }
    emit changed();
    if (!m_rigPath) {
        error = "the rig is switched off (TARNWICK_RIG=off)";
        return false;
    }
    if (m_rigDamaged) {
        // What the user had in that file is theirs: it is never written over.
        error = "the rig's file is damaged and is left as it is";
        return false;
    }
    return WriteRig(*m_rigPath, m_rig, error);
}

SoundNamer RigService::soundNamer() const {
    if (!m_names->any()) {
        return {};
    }
    return [library = m_library, names = m_names](int channel, const ChannelSlot& slot) {
        return names->name(channel, slot);
    };
}

ChannelNamer RigService::namer() const {
    if (!m_names->any()) {
        return {};
    }
    return [library = m_library, names = m_names](int channel, const ChannelSlot& slot) {
        return names->name(channel, slot).shown;
    };
}

} // namespace tarnwick
