// Every instrument the editor and tarnwick-syx know: the instrument files found in the
// folders searched, in their order (the first to name an instrument wins; later ones are
// listed as shadowed), then General MIDI, built in.
#pragma once

#include "instruments/instrument.h"
#include "platform/ascii_case.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class InstrumentLibrary {
public:
    struct Shadowed {
        std::string name;
        std::string file; // the file whose instrument is not used
    };
    struct FileProblem {
        std::string file;
        std::string reason;
    };

    // The folders searched, in order: those in TARNWICK_INSTRUMENTS (separated by kFolderSeparator;
    // an entry "-" ends the search there), the user's own
    // ($XDG_DATA_HOME/tarnwick-editor/instruments), then the name files of installed
    // programs (/usr/share/ardour*/patchfiles, /usr/share/vmpk).
    static std::vector<std::filesystem::path> DefaultFolders();
    // What separates the folders of TARNWICK_INSTRUMENTS, as in PATH: ':', on Windows ';'.
#ifdef _WIN32
    static constexpr char kFolderSeparator = ';';
#else
    static constexpr char kFolderSeparator = ':';
#endif
    // The user's own folder, where "Add Instrument File..." copies files.
    static std::filesystem::path UserFolder();

    // Reads every .midnam and .ins file of `folders` (not their subfolders), in name order.
    void load(const std::vector<std::filesystem::path>& folders);
    // One file, as load() takes it.
    void addFile(const std::filesystem::path& file);
    // What one file holds, as load() reads it: refused unread when larger than 16 MiB,
    // empty or unreadable, else by its reader (.ins or MIDNAM by the file's extension).
    static InstrumentFile ReadFile(const std::filesystem::path& file);
    // Expansion lists join their instruments, and General MIDI is added; after the files.
    void finish();

    const std::vector<Instrument>& instruments() const {
        return m_instruments;
    }
    const std::vector<Shadowed>& shadowed() const {
        return m_shadowed;
    }
    const std::vector<FileProblem>& fileProblems() const {
        return m_problems;
    }
    // The instrument of that name, any letter case; nullptr when there is none.
    const Instrument* find(std::string_view name) const;
    // The instruments `spelling` names: the one of that very name (any case) alone, else
    // every one whose name answers to it (case, blanks and punctuation ignored, its words in
    // any order), in the library's order.
    std::vector<const Instrument*> named(std::string_view spelling) const;
    // Up to `count` names nearest to `name`, for saying what was meant.
    std::vector<std::string> closest(std::string_view name, std::size_t count) const;

private:
    void add(Instrument instrument);

    std::vector<Instrument> m_instruments;
    std::vector<Shadowed> m_shadowed;
    std::vector<FileProblem> m_problems;
    std::vector<InstrumentFile::Extension> m_extensions;
};

} // namespace tarnwick
