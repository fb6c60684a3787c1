#include "core/workflow/DownloadJob.h"

namespace albumora {

void DownloadJob::Clear() {
    std::lock_guard lock(m_mutex);
    m_pictureUrls.clear();
    m_pictureFiles.clear();
    m_requestHeaders.clear();
    m_renewKeys.clear();
    ++m_generation;
}

void DownloadJob::AppendPicture(WString url, WString fileName, WString requestHeader, WString renewKey) {
    std::lock_guard lock(m_mutex);
    // Room first, so that running out of memory cannot leave the lists of unequal length.
    m_pictureUrls.reserve(m_pictureUrls.size() + 1);
    m_pictureFiles.reserve(m_pictureFiles.size() + 1);
    m_requestHeaders.reserve(m_requestHeaders.size() + 1);
    m_renewKeys.reserve(m_renewKeys.size() + 1);
    m_pictureUrls.push_back(std::move(url));
    m_pictureFiles.push_back(std::move(fileName));
    m_requestHeaders.push_back(std::move(requestHeader));
    m_renewKeys.push_back(std::move(renewKey));
}

bool DownloadJob::SetFileName(std::size_t index, WString fileName) {
    std::lock_guard lock(m_mutex);
    if (index >= m_pictureFiles.size()) {
        return false;
    }
    m_pictureFiles[index] = std::move(fileName);
    return true;
}

std::optional<DownloadJob::Picture> DownloadJob::EntryLocked(std::size_t index) const {
    if (index >= m_pictureUrls.size()) {
        return std::nullopt;
    }
    return Picture{m_pictureUrls[index], m_pictureFiles[index], m_requestHeaders[index], m_renewKeys[index]};
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
    return m_pictureUrls.size();
}

std::uint64_t DownloadJob::generation() const {
    std::lock_guard lock(m_mutex);
    return m_generation;
}

void DownloadJob::ForEachPictureUrl(const std::function<void(const WString&)>& visit) const {
    std::lock_guard lock(m_mutex);
    for (const WString& url : m_pictureUrls) {
        visit(url);
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
    if (index >= m_pictureFiles.size()) {
        return std::nullopt;
    }
    const WString& name = m_pictureFiles[index];
    return name.starts_with(u'/') ? name : m_albumFolder + name;
}

}  // namespace albumora
