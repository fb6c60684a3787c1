// The words with which a run tells what it could not do.
#include "core/net/URLSource2.h"
#include "core/workflow/Messages.h"

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
        case FetchFailure::BadAddress:
            return u"地址无效";
        case FetchFailure::SizeLimit:
            return u"回答过大";
        case FetchFailure::EmptyBody:
        case FetchFailure::TextCheck:
            return u"回答为空或不完整";
        case FetchFailure::Cancelled:
            return u"已终止";
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

WString AlbumIncompleteText(WStringView albumName, std::size_t collected, std::int32_t statedCount,
                            WStringView problem) {
    WString text =
        u"相册“" + WString(albumName) + u"”不完整：只获取到" + IntToText(static_cast<long long>(collected));
    if (statedCount > 0) {
        text += u"/" + IntToText(statedCount);
    }
    return text + u"张图片信息（" + WString(problem) + u"）";
}

}  // namespace albumora
