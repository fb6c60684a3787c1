#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// Where a list run stands; Idle when none runs.
enum class ListState : std::uint8_t { Idle, Fetching, StopRequested };
// Where a download run stands; Idle when none runs. AlbumDone: the marker ended the collection of
// the album at work.
enum class DownloadState : std::uint8_t { Idle, Running, AlbumDone, StopRequested };

// What one list fetch did, for the front end's last words.
struct ListRunResult {
    std::size_t albums = 0;
    bool complete = true;         // every page of the listing was read
    bool stopped = false;         // a stop ended the fetch
    bool addressProblem = false;  // the address was refused before anything was fetched
    WString problem;              // why the listing is not complete
};

// What one download run did, for the front end's last words.
struct DownloadRunResult {
    std::uint32_t albumsDone = 0;
    std::uint32_t picturesCollected = 0;
    std::uint32_t picturesFailed = 0;       // could not be fetched or saved
    std::uint32_t picturesFiltered = 0;     // left out by the size limits, as asked
    std::uint32_t picturesNotFetched = 0;   // still waiting when the stop came
    std::uint32_t picturesSkipped = 0;      // saved by an earlier run and still there
    std::uint32_t picturesTooLong = 0;      // among the failed: past the time bound of a picture
    std::uint32_t pictureSecondsLimit = 0;  // that bound, for the message
    std::uint32_t sideFilesFailed = 0;      // list or original-name files that could not be written
    // One text for each album whose pictures could not all be listed or whose folder could not be
    // made: its name, how far it got, why.
    std::vector<WString> incompleteAlbums;
    // The pictures that could not be saved, at most kMaxFailedPictureUrls: which album, which
    // address, and why, for the user to read and to try again.
    struct FailedPicture {
        WString album;
        WString url;
        WString reason;
    };
    std::vector<FailedPicture> failedPictures;
    static constexpr std::size_t kMaxFailedPictureUrls = 10000;
    bool stopped = false;
    bool error = false;  // the run could not start (save folder, no album chosen) or broke off

    // True when everything chosen was saved (pictures the size limits kept out are the user's
    // filter, not a failure).
    bool Complete() const {
        return !stopped && !error && picturesFailed == 0 && picturesNotFetched == 0 && sideFilesFailed == 0 &&
               incompleteAlbums.empty();
    }
};

}  // namespace albumora
