// Finding and reading instrument files.
#include "instruments/instrument_library.h"
#include "platform/utf8_path.h"

#include "instruments/instrument_text.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace tarnwick {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Edit distance, for the nearest names.
std::size_t distance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

fs::path InstrumentLibrary::UserFolder() {
    const std::string data = environment("XDG_DATA_HOME");
#ifdef _WIN32
    const std::string appData = environment("APPDATA");
    if (data.empty() && !appData.empty()) {
        return Utf8Path(appData) / "tarnwick-editor" / "instruments";
    }
#endif
    const fs::path base =
        !data.empty() ? Utf8Path(data) : Utf8Path(environment("HOME")) / ".local" / "share";
    return base / "tarnwick-editor" / "instruments";
}

std::vector<fs::path> InstrumentLibrary::DefaultFolders() {
    std::vector<fs::path> folders;
    std::stringstream chosen(environment("TARNWICK_INSTRUMENTS"));
    for (std::string folder; std::getline(chosen, folder, kFolderSeparator);) {
        if (folder == "-") {
            return folders; // these folders only
        }
        if (!folder.empty()) {
            folders.push_back(Utf8Path(folder));
        }
    }
    folders.push_back(UserFolder());
    std::error_code ignored;
    std::vector<fs::path> ardour; // the newest version's first
    for (const auto& entry : fs::directory_iterator("/usr/share", ignored)) {
        if (Utf8Text(entry.path().filename()).rfind("ardour", 0) == 0) {
            ardour.push_back(entry.path() / "patchfiles");
        }
    }
    std::sort(ardour.rbegin(), ardour.rend());
    folders.insert(folders.end(), ardour.begin(), ardour.end());
    folders.emplace_back("/usr/share/vmpk");
    return folders;
}

void InstrumentLibrary::load(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const std::string extension = LowerCase(Utf8Text(entry.path().extension()));
            if ((extension == ".midnam" || extension == ".ins") && entry.is_regular_file(error)) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            addFile(file);
        }
    }
    finish();
}

InstrumentFile InstrumentLibrary::ReadFile(const fs::path& file) {
    InstrumentFile read;
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error) {
        read.error = error.message();
        return read;
    }
    if (size > kLargestInstrumentFile) {
        read.error = "larger than 16 MiB";
        return read;
    }
    std::ifstream in(file, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        read.error = "cannot be read";
    } else if (TrimmedText(content).empty()) {
        read.error = "the file is empty";
    } else if (LowerCase(Utf8Text(file.extension())) == ".ins") {
        read = ReadInstrumentDefinitions(content, Utf8Text(file));
    } else {
        read = ReadMidnam(content, Utf8Text(file));
    }
    return read;
}

void InstrumentLibrary::addFile(const fs::path& file) {
    InstrumentFile read = ReadFile(file);
    if (!read.error.empty()) {
        m_problems.push_back({Utf8Text(file), read.error});
        return;
    }
    for (Instrument& instrument : read.instruments) {
        add(std::move(instrument));
    }
    for (auto& extension : read.extensions) {
        m_extensions.push_back(std::move(extension));
    }
}

void InstrumentLibrary::add(Instrument instrument) {
    if (find(instrument.name)) {
        m_shadowed.push_back({instrument.name, instrument.file});
        return;
    }
    m_instruments.push_back(std::move(instrument));
}

void InstrumentLibrary::finish() {
    // An expansion's lists are name sets of their own for each model it names (the player
    // chooses one for a channel that plays the card): they name no bank select.
    for (InstrumentFile::Extension& extension : m_extensions) {
        for (const std::string& name : extension.instruments) {
            auto found = std::find_if(
                m_instruments.begin(), m_instruments.end(),
                [&name](const Instrument& i) { return LowerCase(i.name) == LowerCase(name); });
            if (found == m_instruments.end()) {
                Instrument added;
                added.name = name;
                added.file = extension.file;
                added.channelNameSets.fill(extension.nameSets.front().name);
                m_instruments.push_back(std::move(added));
                found = m_instruments.end() - 1;
            }
            for (const NameSet& set : extension.nameSets) {
                if (!found->nameSet(set.name)) {
                    found->nameSets.push_back(set);
                }
            }
        }
    }
    m_extensions.clear();
    add(GeneralMidi());
}

const Instrument* InstrumentLibrary::find(std::string_view name) const {
    const std::string wanted = LowerCase(name);
    const auto found =
        std::find_if(m_instruments.begin(), m_instruments.end(),
                     [&wanted](const Instrument& i) { return LowerCase(i.name) == wanted; });
    return found == m_instruments.end() ? nullptr : &*found;
}

std::vector<const Instrument*> InstrumentLibrary::named(std::string_view spelling) const {
    if (const Instrument* exact = find(spelling)) {
        return {exact};
    }
    std::vector<const Instrument*> found;
    for (const Instrument& instrument : m_instruments) {
        if (AnswersTo(instrument.name, spelling)) {
            found.push_back(&instrument);
        }
    }
    return found;
}

std::vector<std::string> InstrumentLibrary::closest(std::string_view name,
                                                    std::size_t count) const {
    // Compared in lower case without blanks and punctuation: "jv 1080" is "JV-1080".
    const auto letters = [](std::string_view text) {
        std::string kept;
        for (const char c : LowerCase(text)) {
            if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c & 0x80)) {
                kept += c;
            }
        }
        return kept;
    };
    const std::string wanted = letters(name);
    std::vector<std::pair<std::size_t, std::string>> ranked;
    for (const Instrument& instrument : m_instruments) {
        const std::string candidate = letters(instrument.name);
        // A name that holds what was typed comes first, then by how little it differs from
        // the closest part of the name.
        std::size_t score = 0;
        if (candidate.find(wanted) != std::string::npos) {
            score = candidate.size() - wanted.size();
        } else {
            score = 1000 + distance(wanted, candidate);
            for (std::size_t at = 0; at + wanted.size() <= candidate.size(); ++at) {
                score =
                    std::min(score, 500 + distance(wanted, candidate.substr(at, wanted.size())));
            }
        }
        ranked.emplace_back(score, instrument.name);
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ranked.size() && i < count; ++i) {
        names.push_back(ranked[i].second);
    }
    return names;
}

} // namespace tarnwick
