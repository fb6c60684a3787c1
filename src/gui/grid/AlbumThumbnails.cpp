#include "gui/grid/AlbumThumbnails.h"

#include "core/files/FileHelpers.h"
#include "core/net/URLSource2.h"

namespace albumora::gui {

namespace {

constexpr const char16_t* kCoverFolder = u"tmp/";

}  // namespace

QImage FetchCoverThumbnail(const Workflow& workflow, int position, QSize size) {
    const auto album = workflow.albums.AlbumAt(static_cast<size_t>(position));
    if (!album || album->coverUrl.empty()) {
        return {};
    }
    WString folder = FromUtf8(workflow.settingsFolder()) + kCoverFolder;
    if (!CreateFolderTree(folder)) {
        return {};
    }
    const WString path = folder + IntToText(position) + u".jpg";
    CURLSource response;
    if (!FetchUrl(workflow.NewRequest(album->coverUrl, path), response,
                  FETCH_CACHE_WRITE | FETCH_CACHE_READ)) {
        return {};
    }
    const QImage cover(QString::fromStdString(ToUtf8(path)));
    if (cover.isNull()) {
        return {};
    }
    return cover.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace albumora::gui
