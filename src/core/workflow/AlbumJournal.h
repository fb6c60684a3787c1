#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// The pictures that runs saved into one album folder: one line per picture, appended the moment it
// is saved, so that a run killed half way is finished by the next one without fetching again what
// is already there. Separate from the album's marker, which tells where the last complete download
// began.
//
// A line is the picture's address, its file name in that run, its size in bytes and, when the
// format pass renamed it, the name it has now, separated by tabs, in UTF-8, with "\\", tab, CR and
// LF written as "\\\\", "\\t", "\\r" and "\\n". Each line goes out in one write to a file opened for
// appending, so a crash leaves whole lines and at most one torn last line, which is ignored.
class AlbumJournal {
public:
    static constexpr const char* kFileName = ".albumora-journal";

    struct Entry {
        WString fileName;  // the picture's name in the run that saved it
        std::uint64_t size = 0;
        WString storedAs;  // its name on disk when the format pass renamed it; else empty
    };

    AlbumJournal() = default;
    ~AlbumJournal();
    AlbumJournal(const AlbumJournal&) = delete;
    AlbumJournal& operator=(const AlbumJournal&) = delete;

    // Reads the journal of `albumFolder` (ending in '/') and keeps it open for appending; the last
    // line of an address and name counts. A line whose names could leave the folder (a '/', "." or
    // "..") is not one of ours and is ignored. False when it cannot be opened for appending (then nothing is
    // recorded, and what was read still counts).
    bool Open(const WString& albumFolder);
    void Close();

    // The last entry of the address, under whatever name.
    std::optional<Entry> Find(const WString& url) const;
    // The entry of the address under `fileName`: a picture saved more than once in the folder (the
    // same pin twice in a board) has one under each name.
    std::optional<Entry> Find(const WString& url, const WString& fileName) const;
    // True when the file `name` in the folder is the address's, as saved or as the format pass
    // renamed it.
    bool Owns(const WString& url, const WString& name) const;

    // Appends one line. Safe from any thread.
    bool Record(const WString& url, const Entry& entry);

    // The line format, for the reader and the tests.
    static std::string FormatLine(const WString& url, const Entry& entry);
    static std::optional<std::pair<WString, Entry>> ParseLine(std::string_view line);

private:
    mutable std::mutex m_mutex;
    std::unordered_map<WString, std::vector<Entry>> m_entries;  // by address
    int m_fd = -1;
};

}  // namespace albumora
