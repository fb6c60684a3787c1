#include "core/settings/ExtensionSettings.h"

#include <limits>

#include "core/settings/CIni.h"

namespace albumora {

std::uint8_t CharsetCodeFromText(WStringView value) {
    if (value.starts_with(u"UTF8")) {
        return kIniCharsetUtf8;
    }
    if (value.starts_with(u"ANSI")) {
        return kIniCharsetAnsi;
    }
    if (value.starts_with(u"AUTO")) {
        return kIniCharsetAutoUtf8;
    }
    if (value.starts_with(u"BIG5")) {
        return kIniCharsetBig5;
    }
    return kIniCharsetAnsi;
}

std::uint32_t IniNumber(WStringView value, std::uint32_t defaultValue) {
    value = value.substr(0, 64);
    if (value.empty()) {
        return defaultValue;
    }
    const std::size_t start = value.find_first_not_of(u" \t\n\v\f\r");
    if (start == WStringView::npos || value[start] != u'-') {
        return StrToUInt(value);
    }
    const WStringView digits = value.substr(start + 1);
    if (digits.empty() || digits[0] < u'0' || digits[0] > u'9') {
        return 0;
    }
    const std::uint32_t magnitude = StrToUInt(digits);
    return magnitude == std::numeric_limits<std::uint32_t>::max() ? magnitude : 0u - magnitude;
}

ExtensionSettings ExtensionSettingsFromIni(const CIni& ini) {
    ExtensionSettings s;
    const auto byte = [&](const char16_t* section, const char16_t* key, std::uint8_t defaultValue) {
        return static_cast<std::uint8_t>(IniNumber(ini.GetString(section, key, u""), defaultValue));
    };
    s.qzoneV2Encoding = CharsetCodeFromText(ini.GetString(u"QQ空间", u"V2编码", u"ANSI"));
    s.qzoneV3Encoding = CharsetCodeFromText(ini.GetString(u"QQ空间", u"V3编码", u"ANSI"));
    s.qzoneOriginalNameMethod = byte(u"QQ空间", u"取原始名方式", 1);
    s.shuoshuoDownloadMethod = byte(u"QQ说说", u"下载方式", 0);
    s.taobaoPriceInName = ini.GetString(u"淘宝", u"图片名中是否有价格", u"无").starts_with(u"有") ? 1 : 0;
    s.taobaoPriceAdjust = static_cast<std::int32_t>(IniNumber(ini.GetString(u"淘宝", u"价格增减", u""), 0));
    s.instagramPictureMethod = byte(u"Instagram", u"图片获取方式", 1);
    s.jdPictureMethod = byte(u"京东", u"图片获取方式", 1);
    s.pictureSecondsLimit =
        IniNumber(ini.GetString(u"下载", u"单张图片最长秒数", u""), kDefaultPictureSecondsLimit);
    return s;
}

ExtensionSettings ReadExtensionSettings(const std::string& settingsFolder) {
    CIni ini;
    if (!ini.LoadFile(settingsFolder + kExtensionSettingsFileName)) {
        return ExtensionSettings{};
    }
    return ExtensionSettingsFromIni(ini);
}

}  // namespace albumora
