// The words with which the workers tell the user how far they got and what they could not do.
#include "core/workflow/Messages.h"

#include "core/net/URLSource2.h"
#include "core/sites/SiteAddress.h"
#include "core/workflow/RunResults.h"
#include "core/workflow/SiteTable.h"

namespace albumora {

WString FetchFailureText(const CURLSource& response) {
    switch (response.failure) {
        case FetchFailure::HttpStatus:
            return u"服务器回答 HTTP " + IntToText(response.status);
        case FetchFailure::Timeout:
            return u"等待超时";
        case FetchFailure::Connection:
            return response.failureDetail.empty() ? WString(u"无法连接")
                                                  : u"无法连接（" + FromUtf8(response.failureDetail) + u"）";
        case FetchFailure::Certificate:
            return u"网站的证书无法验证（" + FromUtf8(response.failureDetail) +
                   u"）；若经由检查 https 的代理上网，请用环境变量 CURL_CA_BUNDLE 指定该代理的证书";
        case FetchFailure::BadAddress:
            return u"地址无效";
        case FetchFailure::SizeLimit:
            return u"回答过大";
        case FetchFailure::EmptyBody:
        case FetchFailure::TextCheck:
            return u"回答为空或不完整";
        case FetchFailure::Cancelled:
            return u"已终止";
        case FetchFailure::TooLong:
            return u"下载时间超过上限";
        case FetchFailure::NotAPicture:
            return u"回答的是网页，不是图片";
        case FetchFailure::File:
            return u"无法写入文件";
        case FetchFailure::None:
        case FetchFailure::NoAttempt:
            break;
    }
    // The request went through but its text was empty or undecodable.
    return response.status != 0 && (response.status < 200 || response.status > 299)
               ? u"服务器回答 HTTP " + IntToText(response.status)
               : WString(u"回答为空或无法解码");
}

WString NumberedPage(int page, WStringView what) {
    return u"第" + IntToText(page) + WString(what);
}

WString PageFailedText(WStringView page, const CURLSource& response) {
    return WString(page) + u"读取失败：" + FetchFailureText(response);
}

WString MissingPageText(WStringView page, const CURLSource& response) {
    return WString(page) + u"不存在（服务器回答 HTTP " + IntToText(response.status) + u"）：请检查地址";
}

WString PageWithoutDataText(WStringView page) {
    return WString(page) + u"中没有所需的数据";
}

WString PageNothingNewText(WStringView page) {
    return WString(page) + u"没有带来新的内容，已停止翻页";
}

WString ListDoneText(long long albums) {
    return u"获取相册列表完成，共" + IntToText(albums) + u"个";
}

WString ListIncompleteText(long long albums, WStringView problem) {
    return u"获取相册列表未完成，已获取" + IntToText(albums) + u"个：" + WString(problem);
}

WString ListStoppedText(long long albums) {
    return u"获取相册列表已终止，已获取" + IntToText(albums) + u"个";
}

WString ListFailedText(WStringView problem) {
    return u"获取相册列表失败：" + WString(problem);
}

WString AlbumListTitle(long long albums) {
    return u"相册列表(共" + IntToText(albums) + u"个)";
}

WString DownloadingAlbumText(std::size_t album, std::size_t albums) {
    return u"正在下载第" + IntToText(static_cast<long long>(album)) + u"/" +
           IntToText(static_cast<long long>(albums)) + u"个图集";
}

WString CollectedPicturesText(std::size_t pictures) {
    return u"已获取到" + IntToText(static_cast<long long>(pictures)) + u"张图片信息";
}

WString DownloadedPicturesText(std::uint32_t done, std::uint32_t total) {
    return u"已下载" + IntToText(done) + u"/" + IntToText(total) + u"......";
}

WString GatewayBusyText(WStringView page) {
    return WString(page) + u"读取失败：服务器繁忙（504 Gateway Time-out）";
}

WString InternalErrorText(WStringView worker, WStringView failure) {
    return u"内部错误（" + WString(worker) + u"）：" + WString(failure);
}

WString RunSummaryText(const DownloadRunResult& result) {
    WString text(result.stopped ? kStatusDownloadStopped
                                : (result.Complete() ? kStatusDownloadDone : kStatusDownloadIncomplete));
    const std::uint32_t failed = result.picturesFailed + (result.stopped ? 0 : result.picturesNotFetched);
    if (failed > 0) {
        text += u"，" + IntToText(failed) + u"张图片下载失败";
    }
    if (result.picturesTooLong > 0) {
        text += u"（其中" + IntToText(result.picturesTooLong) + u"张超过单张图片的下载时间上限" +
                IntToText(result.pictureSecondsLimit) +
                u"秒，可在下载器扩展设置.ini的[下载]单张图片最长秒数中修改）";
    }
    if (result.stopped && result.picturesNotFetched > 0) {
        text += u"，" + PicturesNotFinishedText(result.picturesNotFetched);
    }
    if (result.sideFilesFailed > 0) {
        text += u"，" + SideFilesFailedText(result.sideFilesFailed);
    }
    if (result.picturesFiltered > 0) {
        text += u"，" + PicturesFilteredText(result.picturesFiltered);
    }
    if (result.picturesSkipped > 0) {
        text += u"，" + IntToText(result.picturesSkipped) + u"张图片以前已下载";
    }
    // The albums by name, as long as the line stays readable.
    constexpr size_t kAlbumsNamed = 2;
    const auto& incomplete = result.incompleteAlbums;
    for (size_t i = 0; i < incomplete.size() && i < kAlbumsNamed; ++i) {
        text += u"；" + incomplete[i];
    }
    if (incomplete.size() > kAlbumsNamed) {
        text += u"；共" + IntToText(static_cast<long long>(incomplete.size())) + u"个相册不完整";
    }
    return text;
}

WString PicturesNotFinishedText(std::uint32_t pictures) {
    return IntToText(pictures) + u"张图片未完成";
}

WString SideFilesFailedText(std::uint32_t files) {
    return IntToText(files) + u"个附属文件无法写入";
}

WString PicturesFilteredText(std::uint32_t pictures) {
    return IntToText(pictures) + u"张图片不在大小范围内";
}

WString AlbumIncompleteText(WStringView albumName, std::size_t collected, std::int32_t statedCount,
                            WStringView problem) {
    WString text =
        u"相册“" + WString(albumName) + u"”不完整：只获取到" + IntToText(static_cast<long long>(collected));
    if (statedCount > 0) {
        text += u"/" + IntToText(statedCount);
    }
    return text + u"张图片信息（" + WString(problem) + u"）";
}

WString ShownText(WStringView message) {
    WString text(message);
    for (char16_t& c : text) {
        if (c == u'^') {
            c = u'\n';
        }
    }
    return text;
}

WStringView AddressProblem(WStringView trimmedAddress) {
    if (trimmedAddress.empty()) {
        return kMsgEmptyAddress;
    }
    if (trimmedAddress.find(u"http://") == WStringView::npos &&
        trimmedAddress.find(u"https://") == WStringView::npos) {
        return kMsgNoScheme;
    }
    const WString address = CanonicalSiteAddress(trimmedAddress);
    const SiteEntry* site = SiteOf(address);
    if (site == nullptr) {
        return kMsgUnsupportedAddress;
    }
    // A Huaban page that is neither a board nor a user (a pin, say) gets the board message.
    return IsListable(*site, address) ? WStringView() : site->notListableMessage;
}

}  // namespace albumora
