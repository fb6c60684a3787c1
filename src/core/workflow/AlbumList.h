#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// One album as a site adapter found it. The adapter fills the texts and the first four numbers;
// listIndex and thumbIndex belong to the album list.
struct ST_PERLISTRECORD {
    WString name;                   // shown, and the album folder's name; cleaned and unique in the list
    WString albumId;                // the site's identifier, for fetching the album's pictures
    WString coverUrl;               // the cover picture; empty when the site gives none
    WString createdText;            // creation time as text (folder escape ?5 of the QQ sites)
    WString extraText;              // carried along, never read by the workflow
    std::int32_t pictureCount = 0;  // -1 when the site does not say
    std::int32_t accessFlags = 0;   // 0x1 encrypted, 0x2 private, 0x4 friends only; negative: a number
    std::int32_t rating = 0;
    std::int32_t createdTime = 0;
    std::int32_t listIndex = 0;  // position at which it entered the list; sorting keeps it
    std::int32_t thumbIndex = -1;
    bool nameCut = false;  // the site's name was longer than a shown name may be
};

// The albums of the last list fetch, in display order. The list worker appends while the interface
// thread reads, so every operation takes the list's lock and readers get copies; nothing handed out
// can be invalidated by a later append or clear.
class AlbumList {
public:
    // Receives the messages that the list shows the user ("内存分配失败"), on the thread that called
    // AddAlbumRecord; a front end queues them onto its own thread.
    using MessageSink = std::function<void(const WString&)>;

    explicit AlbumList(MessageSink messageSink = {}) : m_messageSink(std::move(messageSink)) {}
    AlbumList(const AlbumList&) = delete;
    AlbumList& operator=(const AlbumList&) = delete;

    // Copies the record in under a cleaned name (MakeSafeFileName with the time-stamp fallback) made
    // unique by " (1)", " (2)", … in the list, and returns the new length. When memory runs out, the
    // sink hears "内存分配失败" and the length is returned unchanged.
    std::size_t AddAlbumRecord(const ST_PERLISTRECORD& record);

    // Drops every record; clearing an empty list does nothing.
    void ClearAlbumList();

    // A copy of the record at a 0-based position; nullopt past the end.
    std::optional<ST_PERLISTRECORD> AlbumAt(std::size_t position) const;

    std::size_t size() const;
    std::vector<ST_PERLISTRECORD> Snapshot() const;

    // The thumbnail view's image index of a record; false past the end.
    bool SetThumbIndex(std::size_t position, std::int32_t thumbIndex);

    // The two orders of the album table: by rating (stable), and back to the order of arrival.
    void SortByRating(bool descending);
    void SortByListIndex();

    // Albums checked for the download run in progress; read by the picture-name escape ?6.
    std::atomic<int> selectedCount{0};

private:
    std::size_t Append(const ST_PERLISTRECORD& record);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<ST_PERLISTRECORD>> m_records;
    std::unordered_set<WString> m_names;
    std::unordered_map<WString, unsigned> m_nextCounter;  // per cleaned name: where " (n)" resumes
    MessageSink m_messageSink;
};

}  // namespace albumora
