#include "core/workflow/AlbumList.h"

#include <algorithm>
#include <new>

#include "core/files/SafeFileName.h"
#include "core/workflow/Messages.h"

namespace albumora {

namespace {

// The first free name of "name", "name (1)", "name (2)", …; a counter never pushes a name past
// the file system's limit, the base gives way instead. Names are only ever added, so every counter
// below the one a base used last is still taken and the search resumes there: a thousand albums
// of one name cost a thousand look-ups, not half a million.
WString UniqueName(const WString& base, const std::unordered_set<WString>& taken,
                   std::unordered_map<WString, unsigned>& nextCounter) {
    if (!taken.contains(base)) {
        return base;
    }
    unsigned& counter = nextCounter.try_emplace(base, 1).first->second;
    for (;; ++counter) {
        const WString suffix = FormatNumber(" (%u)", counter);
        WString candidate = base;
        LimitNameBytes(candidate, kMaxNameBytes - suffix.size());
        candidate += suffix;
        if (!taken.contains(candidate)) {
            ++counter;
            return candidate;
        }
    }
}

}  // namespace

std::size_t AlbumList::AddAlbumRecord(const ST_PERLISTRECORD& record) {
    try {
        return Append(record);
    } catch (const std::bad_alloc&) {
        if (m_messageSink) {
            m_messageSink(WString(kMsgOutOfMemory));
        }
        return size();
    }
}

std::size_t AlbumList::Append(const ST_PERLISTRECORD& record) {
    auto copy = std::make_unique<ST_PERLISTRECORD>(record);
    MakeSafeFileName(copy->name, kTimeStampFallback, true);
    copy->thumbIndex = -1;

    std::lock_guard lock(m_mutex);
    // Everything that may run out of memory happens before the list changes.
    m_records.reserve(m_records.size() + 1);
    copy->name = UniqueName(copy->name, m_names, m_nextCounter);
    m_names.insert(copy->name);
    copy->listIndex = static_cast<std::int32_t>(m_records.size());
    m_records.push_back(std::move(copy));
    return m_records.size();
}

void AlbumList::ClearAlbumList() {
    std::lock_guard lock(m_mutex);
    while (!m_records.empty()) {
        m_records.pop_back();
    }
    m_names.clear();
    m_nextCounter.clear();
}

std::optional<ST_PERLISTRECORD> AlbumList::AlbumAt(std::size_t position) const {
    std::lock_guard lock(m_mutex);
    if (position >= m_records.size()) {
        return std::nullopt;
    }
    return *m_records[position];
}

std::size_t AlbumList::size() const {
    std::lock_guard lock(m_mutex);
    return m_records.size();
}

std::vector<ST_PERLISTRECORD> AlbumList::Snapshot() const {
    std::lock_guard lock(m_mutex);
    std::vector<ST_PERLISTRECORD> records;
    records.reserve(m_records.size());
    for (const auto& record : m_records) {
        records.push_back(*record);
    }
    return records;
}

bool AlbumList::SetThumbIndex(std::size_t position, std::int32_t thumbIndex) {
    std::lock_guard lock(m_mutex);
    if (position >= m_records.size()) {
        return false;
    }
    m_records[position]->thumbIndex = thumbIndex;
    return true;
}

void AlbumList::SortByRating(bool descending) {
    std::lock_guard lock(m_mutex);
    std::stable_sort(m_records.begin(), m_records.end(), [descending](const auto& a, const auto& b) {
        return descending ? a->rating > b->rating : a->rating < b->rating;
    });
}

void AlbumList::SortByListIndex() {
    std::lock_guard lock(m_mutex);
    std::sort(m_records.begin(), m_records.end(),
              [](const auto& a, const auto& b) { return a->listIndex < b->listIndex; });
}

}  // namespace albumora
