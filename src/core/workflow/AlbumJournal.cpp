#include "core/workflow/AlbumJournal.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "core/files/AtomicFile.h"
#include "core/files/DescriptorIo.h"

namespace albumora {

namespace {

// A journal larger than this is not one of ours; only its start is read.
constexpr std::size_t kMaxJournalBytes = 64u * 1024 * 1024;

std::string Escaped(const WString& text) {
    std::string out;
    for (const char c : ToUtf8(text)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<WString> Unescaped(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size()) {
            return std::nullopt;
        }
        switch (field[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            default:
                return std::nullopt;
        }
    }
    return FromUtf8(out);
}

// A name in the folder itself: never a path, never the folder or its parent.
bool IsPlainName(const WString& name) {
    return !name.empty() && name != u"." && name != u".." && name.find(u'/') == WString::npos &&
           name.find(u'\0') == WString::npos;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

}  // namespace

AlbumJournal::~AlbumJournal() {
    Close();
}

std::string AlbumJournal::FormatLine(const WString& url, const Entry& entry) {
    std::string line = Escaped(url) + "\t" + Escaped(entry.fileName) + "\t" + std::to_string(entry.size);
    if (!entry.storedAs.empty()) {
        line += "\t" + Escaped(entry.storedAs);
    }
    return line + "\n";
}

std::optional<std::pair<WString, AlbumJournal::Entry>> AlbumJournal::ParseLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 3 || fields.size() > 4) {
        return std::nullopt;
    }
    auto url = Unescaped(fields[0]);
    auto fileName = Unescaped(fields[1]);
    std::uint64_t size = 0;
    const auto [end, error] = std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), size);
    if (!url || !fileName || url->empty() || !IsPlainName(*fileName) || error != std::errc() ||
        end != fields[2].data() + fields[2].size()) {
        return std::nullopt;
    }
    Entry entry{std::move(*fileName), size, {}};
    if (fields.size() == 4) {
        auto storedAs = Unescaped(fields[3]);
        if (!storedAs || !IsPlainName(*storedAs)) {
            return std::nullopt;
        }
        entry.storedAs = std::move(*storedAs);
    }
    return std::make_pair(std::move(*url), std::move(entry));
}

bool AlbumJournal::Open(const WString& albumFolder) {
    Close();
    const std::string path = ToUtf8(albumFolder) + kFileName;
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    bool torn = false;
    if (const auto bytes = ReadFileHead(path, kMaxJournalBytes)) {
        std::string_view text = *bytes;
        // Only whole lines: the last one may have been cut by a crash.
        for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
            if (auto parsed = ParseLine(text.substr(0, end))) {
                std::vector<Entry>& entries = m_entries[std::move(parsed->first)];
                std::erase_if(entries, [&](const Entry& e) { return e.fileName == parsed->second.fileName; });
                entries.push_back(std::move(parsed->second));
            }
            text.remove_prefix(end + 1);
        }
        torn = !text.empty();
    }
    // Only a regular file of that name is ours to append to: no link, no FIFO.
    m_fd = OpenForAppending(path, true);
    // A torn last line must not glue itself to the next one appended.
    if (m_fd >= 0 && torn) {
        [[maybe_unused]] const bool ended = WriteAll(m_fd, "\n");
    }
    return m_fd >= 0;
}

void AlbumJournal::Close() {
    std::lock_guard lock(m_mutex);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_entries.clear();
}

std::optional<AlbumJournal::Entry> AlbumJournal::Find(const WString& url) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(url);
    if (found == m_entries.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second.back();
}

std::optional<AlbumJournal::Entry> AlbumJournal::Find(const WString& url, const WString& fileName) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(url);
    if (found != m_entries.end()) {
        for (const Entry& entry : found->second) {
            if (entry.fileName == fileName) {
                return entry;
            }
        }
    }
    return std::nullopt;
}

bool AlbumJournal::Owns(const WString& url, const WString& name) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(url);
    if (found == m_entries.end()) {
        return false;
    }
    return std::any_of(found->second.begin(), found->second.end(), [&](const Entry& entry) {
        return entry.storedAs.empty() ? entry.fileName == name : entry.storedAs == name;
    });
}

bool AlbumJournal::Record(const WString& url, const Entry& entry) {
    const std::string line = FormatLine(url, entry);
    std::lock_guard lock(m_mutex);
    if (m_fd < 0) {
        return false;
    }
    // The whole line in one call: appends of whole lines are what a crash can leave.
    return WriteAll(m_fd, line);
}

}  // namespace albumora
