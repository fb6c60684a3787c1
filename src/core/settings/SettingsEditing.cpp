#include "core/settings/SettingsEditing.h"

#include <algorithm>

namespace albumora {

namespace {

constexpr OptionInfo kOptions[] = {
    {OPT_FIX_FORMAT, "fix-format", u"修正图片格式", 32800},
    {OPT_FIX_ORDER, "fix-order", u"修正图片顺序", 32799},
    {OPT_ORIGINAL_NAME_FILE, "original-name-file", u"生成图片原始名文件", 32804},
    {OPT_THUNDER_LIST_ONLY, "list-only", u"只生成迅雷下载列表", 32802},
    {OPT_OPEN_FOLDER_WHEN_DONE, "open-folder", u"下载完成后打开保存路径", 32812},
    {OPT_MAIN_PICTURES_ONLY, "main-pictures-only", u"只下载宝贝(商品)主图", 32808},
    {OPT_SKIP_DOWNLOADED, "skip-downloaded", u"不下载以前下载过的图片", 32774},
    {OPT_YUPOO_LARGE, "yupoo-large", u"又拍相册下载大图（不勾选为下载原图，下载原图速度更慢）", 32776},
    {OPT_DESCRIPTION_PICTURES_ONLY, "description-pictures-only", u"只下载宝贝(商品)描述里的图片", 32814},
};

std::uint16_t ExcludedBy(std::uint16_t bit) {
    if (bit == OPT_MAIN_PICTURES_ONLY) {
        return OPT_DESCRIPTION_PICTURES_ONLY;
    }
    if (bit == OPT_DESCRIPTION_PICTURES_ONLY) {
        return OPT_MAIN_PICTURES_ONLY;
    }
    return 0;
}

}  // namespace

std::span<const OptionInfo> OptionTable() {
    return kOptions;
}

const OptionInfo* FindOptionByCliName(std::string_view cliName) {
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionInfo& o) { return o.cliName == cliName; });
    return found != std::end(kOptions) ? found : nullptr;
}

const OptionInfo* FindOptionByMenuCommand(int menuCommand) {
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionInfo& o) { return o.menuCommand == menuCommand; });
    return found != std::end(kOptions) ? found : nullptr;
}

void SetOption(SiteNamingRecord& record, std::uint16_t bit, bool on) {
    if (on) {
        record.optionFlags = static_cast<std::uint16_t>((record.optionFlags & ~ExcludedBy(bit)) | bit);
    } else {
        record.optionFlags = static_cast<std::uint16_t>(record.optionFlags & ~bit);
    }
}

void ToggleOption(SiteNamingRecord& record, std::uint16_t bit) {
    SetOption(record, bit, !record.HasOption(bit));
}

bool IsOptionEnabled(std::uint16_t bit, int siteCode) {
    if (bit == OPT_YUPOO_LARGE) {
        return siteCode == kSiteCodeYupoo;
    }
    if (bit == OPT_MAIN_PICTURES_ONLY || bit == OPT_DESCRIPTION_PICTURES_ONLY) {
        return siteCode == kSiteCodeTaobao || siteCode == kSiteCodeJd;
    }
    return true;
}

bool AcceptsThreadCount(std::uint16_t threadCount) {
    return threadCount >= 1 && threadCount <= 15;
}

bool AcceptDownloadParams(const SiteDownloadParams& params) {
    return AcceptsThreadCount(params.threadCount) && params.timeoutSec >= 10;
}

}  // namespace albumora
