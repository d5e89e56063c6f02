// Reading instruments behind the editor's back, and keeping the rig.
#include "sounds/rig_service.h"

#include "platform/utf8_path.h"
#include "preset/preset_text.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

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
        // Watched from shortly after start-up, when the window has been painted; a change
        // made in between is taken then.
        QTimer::singleShot(kWatchDelayMs, this, [this] {
            watchRigFile();
            takeRigFile();
        });
    }
}

void RigService::watchRigFile() {
    m_watcher = new QFileSystemWatcher(this);
    rewatch();
    const auto reread = [this] {
        rewatch();
        takeRigFile();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, reread);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, reread);
}

void RigService::rewatch() {
    if (!m_watcher) {
        return; // not watching yet
    }
    // The folder too: a file written whole replaces the one watched, whose watch then ends.
    const QString file = QString::fromStdU16String(m_rigPath->u16string());
    const QString folder = QString::fromStdU16String(m_rigPath->parent_path().u16string());
    for (const QString& path : {folder, file}) {
        if (!m_watcher->files().contains(path) && !m_watcher->directories().contains(path) &&
            QFileInfo::exists(path)) {
            m_watcher->addPath(path);
        }
    }
}

bool RigService::takeRigFile() {
    std::string problem;
    const std::optional<Rig> read = ReadRig(*m_rigPath, problem);
    if (!read) {
        return false; // a file half written or damaged by another program: kept as it was
    }
    if (m_rigDamaged) {
        // Mended by hand or by another program: a rig again, and ours to write.
        m_rigDamaged = false;
        m_rigProblem.clear();
    } else if (*read == m_rig) {
        return true;
    }
    m_rig = *read;
    if (m_library) {
        m_names = std::make_shared<const RigNames>(m_rig, *m_library);
    }
    emit changed();
    return true;
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
    // Only the channels changed here are written, on top of what the file holds now:
    // another program (tarnwick-syx rig set) may have changed others meanwhile.
    Rig merged = rig;
    if (m_rigPath && !m_rigDamaged) {
        std::string problem;
        if (const std::optional<Rig> now = ReadRig(*m_rigPath, problem)) {
            merged = *now;
            for (std::size_t i = 0; i < merged.channels.size(); ++i) {
                if (rig.channels[i] != m_rig.channels[i]) {
                    merged.channels[i] = rig.channels[i];
                }
            }
        }
    }
    m_rig = merged;
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
    const bool written = WriteRig(*m_rigPath, m_rig, error);
    rewatch(); // the folder may be new
    return written;
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
