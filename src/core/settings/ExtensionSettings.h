#pragma once

#include <cstdint>
#include <string>

#include "core/text/WideText.h"

namespace albumora {

class CIni;

// The hand-edited ini file beside soft.dat; read, never written.
inline constexpr const char* kExtensionSettingsFileName = "下载器扩展设置.ini";

// Values of the two encoding keys. They are the response decoder's text-conversion option bits:
// 0 the ANSI code page (GBK), 2 UTF-8, 8 Big5, 16 UTF-8 when the bytes look like it.
inline constexpr std::uint8_t kIniCharsetAnsi = 0;
inline constexpr std::uint8_t kIniCharsetUtf8 = 2;
inline constexpr std::uint8_t kIniCharsetBig5 = 8;
inline constexpr std::uint8_t kIniCharsetAutoUtf8 = 16;

// Half an hour: a picture of 100 MB at 64 KB/s still comes through.
inline constexpr std::uint32_t kDefaultPictureSecondsLimit = 1800;

// Expert switches for adapters of further sites; the defaults hold when the file or a key is
// missing. Read afresh at every list fetch and download start so that edits need no restart.
struct ExtensionSettings {
    std::uint8_t qzoneV2Encoding = kIniCharsetAnsi;  // [QQ空间] V2编码
    std::uint8_t qzoneV3Encoding = kIniCharsetAnsi;  // [QQ空间] V3编码
    std::uint8_t qzoneOriginalNameMethod = 1;        // [QQ空间] 取原始名方式
    std::uint8_t shuoshuoDownloadMethod = 0;         // [QQ说说] 下载方式
    std::uint8_t taobaoPriceInName = 0;  // [淘宝] 图片名中是否有价格: 1 when it begins with 有
    std::int32_t taobaoPriceAdjust = 0;  // [淘宝] 价格增减
    std::uint8_t instagramPictureMethod = 1;  // [Instagram] 图片获取方式
    std::uint8_t jdPictureMethod = 1;         // [京东] 图片获取方式
    // [下载] 单张图片最长秒数: the longest a picture may take, so that one huge picture sent
    // slowly cannot hold an unattended run for days; 0 for no bound.
    std::uint32_t pictureSecondsLimit = kDefaultPictureSecondsLimit;
};

// Reads kExtensionSettingsFileName from `settingsFolder` (ending in '/'); defaults when it is absent.
ExtensionSettings ReadExtensionSettings(const std::string& settingsFolder);
ExtensionSettings ExtensionSettingsFromIni(const CIni& ini);

// "UTF8…" 2, "ANSI…" 0, "AUTO…" 16, "BIG5…" 8, matched case-sensitively at the start; else 0.
std::uint8_t CharsetCodeFromText(WStringView value);

// The number rule of the ini keys: the value is cut to 64 units; empty gives `defaultValue`;
// otherwise leading blanks, an optional sign (a minus negates modulo 2^32) and the digits up to the
// first non-digit; no digits give 0 and an overflow gives the largest 32-bit value.
std::uint32_t IniNumber(WStringView value, std::uint32_t defaultValue);

}  // namespace albumora
