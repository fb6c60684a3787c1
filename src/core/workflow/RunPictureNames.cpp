#include "core/workflow/RunPictureNames.h"

#include "core/text/CaseFold.h"

namespace albumora {

void RunPictureNames::StartRun() {
    m_album.clear();
    m_folder.clear();
    m_earlier.clear();
    m_earlierHere = nullptr;
    m_counters.Clear();
    m_earlierCounters.Clear();
}

void RunPictureNames::StartAlbum(const WString& folder) {
    if (!m_folder.empty()) {
        m_earlier[m_folder].merge(m_album);
    }
    m_album.clear();
    m_counters.Clear();
    m_earlierCounters.Clear();
    m_folder = folder;
    const auto earlier = m_earlier.find(folder);
    m_earlierHere = earlier == m_earlier.end() ? nullptr : &earlier->second;
}

bool RunPictureNames::IsTaken(const WString& name) const {
    const WString lower = ToLowerText(name);
    return m_album.contains(lower) || (m_earlierHere != nullptr && m_earlierHere->contains(lower));
}

WString RunPictureNames::Finish(PictureNameDraft draft, std::size_t folderLength, std::size_t jobLength,
                                const std::function<bool(const WString&)>& takenOnDisk) {
    const auto isTaken = [this](const WString& candidate) { return IsTaken(candidate); };
    WString name = FinishPictureName(std::move(draft), folderLength, isTaken, jobLength, &m_counters);
    // A file of an earlier run keeps its name: renaming a new picture over it would lose it.
    const auto taken = [&](const WString& candidate) { return IsTaken(candidate) || takenOnDisk(candidate); };
    if (IsAbsolutePictureName(name) || !taken(name)) {
        return name;
    }
    const size_t dot = name.rfind(u'.');
    const WString suffix = dot == WString::npos ? WString() : name.substr(dot);
    const WString stem = name.substr(0, name.size() - suffix.size());
    // Counters below `next` were taken already: the names only grow while the folder stays.
    unsigned& next = m_earlierCounters.Next(stem, suffix);
    WString candidate;
    do {
        candidate = stem + FormatNumber("(%u)", next++) + suffix;
    } while (taken(candidate));
    return candidate;
}

void RunPictureNames::Take(const WString& name) {
    m_album.insert(ToLowerText(name));
}

}  // namespace albumora
