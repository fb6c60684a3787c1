#include "cli/commands/DownloadSummary.h"

#include <cstdio>

#include "cli/TerminalView.h"
#include "core/workflow/Messages.h"

namespace albumora::cli {

namespace {

void PrintLine(WStringView text) {
    std::fprintf(stderr, "%s\n", Printable(text).c_str());
}

// Pictures of a run that are in their folders now, fetched by it.
std::uint32_t PicturesSaved(const DownloadRunResult& result) {
    const std::uint32_t notSaved =
        result.picturesFailed + result.picturesFiltered + result.picturesNotFetched + result.picturesSkipped;
    return result.picturesCollected > notSaved ? result.picturesCollected - notSaved : 0;
}

}  // namespace

void PrintRunSummary(const DownloadRunResult& result, const ListRunResult& listing, bool stopped) {
    // The failures against all pictures collected, which the workflow's line leaves out.
    if (result.picturesFailed > 0) {
        std::fprintf(stderr, "%u 张图片下载失败（共 %u 张）\n", result.picturesFailed,
                     result.picturesCollected);
    }
    if (result.picturesNotFetched > 0) {
        PrintLine(PicturesNotFinishedText(result.picturesNotFetched));
    }
    if (result.picturesFiltered > 0) {
        PrintLine(PicturesFilteredText(result.picturesFiltered));
    }
    if (result.picturesSkipped > 0) {
        std::fprintf(stderr, "%u 张图片以前已下载，未重新下载\n", result.picturesSkipped);
    }
    if (result.sideFilesFailed > 0) {
        PrintLine(SideFilesFailedText(result.sideFilesFailed));
    }
    // Every one of them: the workflow's line names only the first few.
    for (const WString& album : result.incompleteAlbums) {
        PrintLine(album);
    }
    // Albums the listing never reached were not downloaded either.
    if (!listing.complete && !listing.stopped) {
        PrintLine(ListIncompleteText(static_cast<long long>(listing.albums), listing.problem));
    }
    if (stopped) {
        PrintLine(kStatusDownloadStopped);
    }
}

void BatchSummary::NotStarted(const ListedAddress& listed) {
    m_unfinished.push_back(Printable(listed.address) + "：未开始（已终止）");
}

void BatchSummary::Refused(const ListedAddress& listed) {
    m_unfinished.push_back(LineLabel(listed) + Printable(listed.address) + "：地址无效");
}

void BatchSummary::Add(const ListedAddress& listed, bool complete, std::size_t albums,
                       const DownloadRunResult* downloaded) {
    m_albums += albums;
    if (downloaded != nullptr) {
        m_total.picturesCollected += downloaded->picturesCollected;
        m_total.picturesFailed += downloaded->picturesFailed;
        m_total.picturesFiltered += downloaded->picturesFiltered;
        m_total.picturesNotFetched += downloaded->picturesNotFetched;
        m_total.picturesSkipped += downloaded->picturesSkipped;
    }
    if (complete) {
        ++m_complete;
    } else {
        m_unfinished.push_back(LineLabel(listed) + Printable(listed.address) + "：未完成");
    }
}

void BatchSummary::Print() const {
    std::fprintf(stderr,
                 "共 %zu 个地址：完成 %zu 个，未完成 %zu 个；相册 %zu 个，保存图片 %u 张，失败 %u "
                 "张，以前已下载 %u 张\n",
                 m_addresses, m_complete, m_addresses - m_complete, m_albums, PicturesSaved(m_total),
                 m_total.picturesFailed + m_total.picturesNotFetched, m_total.picturesSkipped);
    for (const std::string& line : m_unfinished) {
        std::fprintf(stderr, "  %s\n", line.c_str());
    }
}

}  // namespace albumora::cli
