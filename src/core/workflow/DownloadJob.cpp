#include "core/workflow/DownloadJob.h"

namespace albumora {

void DownloadJob::Clear() {
    std::lock_guard lock(m_mutex);
    m_entries.clear();
    ++m_generation;
}

void DownloadJob::AppendPicture(WString url, WString fileName, WString requestHeader, WString renewKey) {
    std::unique_ptr<const Rare> rare;
    if (!requestHeader.empty() || !renewKey.empty()) {
        rare = std::make_unique<const Rare>(Rare{std::move(requestHeader), std::move(renewKey)});
    }
    std::lock_guard lock(m_mutex);
    m_entries.push_back({std::move(url), std::move(fileName), std::move(rare)});
}

bool DownloadJob::SetFileName(std::size_t index, WString fileName) {
    std::lock_guard lock(m_mutex);
    if (index >= m_entries.size()) {
        return false;
    }
    m_entries[index].fileName = std::move(fileName);
    return true;
}

std::optional<DownloadJob::Picture> DownloadJob::EntryLocked(std::size_t index) const {
    if (index >= m_entries.size()) {
        return std::nullopt;
    }
    const Entry& entry = m_entries[index];
    return entry.rare ? Picture{entry.url, entry.fileName, entry.rare->requestHeader, entry.rare->renewKey}
                      : Picture{entry.url, entry.fileName, {}, {}};
}

std::optional<DownloadJob::Picture> DownloadJob::PictureAt(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    return EntryLocked(index);
}

std::optional<DownloadJob::Picture> DownloadJob::PictureAt(std::size_t index,
                                                           std::uint64_t generation) const {
    std::lock_guard lock(m_mutex);
    return generation == m_generation ? EntryLocked(index) : std::nullopt;
}

std::size_t DownloadJob::size() const {
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

std::uint64_t DownloadJob::generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void DownloadJob::ForEachPictureUrl(const std::function<void(const WString&)>& visit) const {
    std::lock_guard lock(m_mutex);
    for (const Entry& entry : m_entries) {
        visit(entry.url);
    }
}

void DownloadJob::SetAlbumFolder(WString folder) {
    std::lock_guard lock(m_mutex);
    m_albumFolder = std::move(folder);
}

WString DownloadJob::AlbumFolder() const {
    std::lock_guard lock(m_mutex);
    return m_albumFolder;
}

std::optional<WString> DownloadJob::TargetPath(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    if (index >= m_entries.size()) {
        return std::nullopt;
    }
    const WString& name = m_entries[index].fileName;
    return name.starts_with(u'/') ? name : m_albumFolder + name;
}

}  // namespace albumora
