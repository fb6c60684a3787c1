#include "core/settings/SettingsStore.h"

#include <sys/stat.h>

#include <cstdint>

#include "core/files/AtomicFile.h"
#include "core/settings/SiteCodes.h"

namespace albumora {

namespace {

// Fixed little-endian layout, independent of how the compiler lays out the structs.
class ImageWriter {
public:
    explicit ImageWriter(std::string& out) : m_out(out) {}
    void U8(std::uint8_t v) { m_out.push_back(static_cast<char>(v)); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v & 0xFF));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void Units(std::span<const char16_t> slot) {
        for (char16_t c : slot) {
            U16(c);
        }
    }

private:
    std::string& m_out;
};

class ImageReader {
public:
    explicit ImageReader(std::string_view bytes) : m_bytes(bytes) {}
    std::uint8_t U8() {
        const std::size_t at = m_pos++;
        return at < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes[at]) : 0;
    }
    std::uint16_t U16() {
        const std::uint16_t low = U8();
        return static_cast<std::uint16_t>(low | (U8() << 8));
    }
    void Units(std::span<char16_t> slot) {
        for (char16_t& c : slot) {
            c = U16();
        }
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

template <typename Visitor>
void VisitNamingTexts(Visitor&& visit, auto& record) {
    visit(record.pictureNamePrefix);
    visit(record.pictureNameSuffix);
    visit(record.replaceFrom);
    visit(record.replaceTo);
    visit(record.albumFolderPrefix);
    visit(record.albumFolderSuffix);
}

void ApplyFirstRunDefaults(PersistentSettings& settings, int site) {
    SiteNamingRecord& naming = settings.namingRecords[site];
    naming.optionFlags |= OPT_OPEN_FOLDER_WHEN_DONE;
    switch (site) {
        case kSiteCodeYupoo:
            naming.optionFlags |= OPT_YUPOO_LARGE | OPT_FIX_ORDER;
            break;
        case kSiteCode51:
            naming.pictureNameMode = 1;
            break;
        case kSiteCodeTaobao:
        case kSiteCodeJd:
            naming.optionFlags |= OPT_FIX_ORDER;
            break;
        case kSiteCodeInstagram:
            naming.optionFlags |= OPT_FIX_FORMAT;
            SetNamingText(naming.pictureNamePrefix, u"?2) ");
            break;
        case kSiteCodeHuabanDuitang:
            settings.downloadParams[site].threadCount = 3;
            break;
        default:
            break;
    }
}

}  // namespace

std::string EncodeSettings(const PersistentSettings& settings) {
    std::string bytes;
    bytes.reserve(kSettingsFileSize);
    ImageWriter out(bytes);
    for (const SiteDownloadParams& p : settings.downloadParams) {
        out.U16(p.minSizeK);
        out.U16(p.maxSizeK);
        out.U16(p.threadCount);
        out.U16(p.timeoutSec);
    }
    for (const SiteNamingRecord& r : settings.namingRecords) {
        VisitNamingTexts([&](const NamingTextSlot& slot) { out.Units(slot); }, r);
        out.U16(r.optionFlags);
        out.U8(r.pictureNameMode);
        out.U8(r.albumFolderMode);
    }
    for (const HistorySlot& slot : settings.addressHistory) {
        out.Units(slot);
    }
    for (const HistorySlot& slot : settings.savePathHistory) {
        out.Units(slot);
    }
    return bytes;
}

PersistentSettings DecodeSettings(std::string_view bytes) {
    PersistentSettings settings;
    ImageReader in(bytes.substr(0, kSettingsFileSize));
    for (SiteDownloadParams& p : settings.downloadParams) {
        p.minSizeK = in.U16();
        p.maxSizeK = in.U16();
        p.threadCount = in.U16();
        p.timeoutSec = in.U16();
    }
    for (SiteNamingRecord& r : settings.namingRecords) {
        VisitNamingTexts([&](NamingTextSlot& slot) { in.Units(slot); }, r);
        r.optionFlags = in.U16();
        r.pictureNameMode = in.U8();
        r.albumFolderMode = in.U8();
    }
    for (HistorySlot& slot : settings.addressHistory) {
        in.Units(slot);
    }
    for (HistorySlot& slot : settings.savePathHistory) {
        in.Units(slot);
    }
    return settings;
}

void RepairSettings(PersistentSettings& settings, bool fileFound) {
    for (int site = 0; site < kSettingsSiteSlots; ++site) {
        SiteDownloadParams& params = settings.downloadParams[site];
        if (params.threadCount == 0 || params.threadCount > 15) {
            params.threadCount = 5;
        }
        if (params.timeoutSec < 10) {
            params.timeoutSec = 30;
        }
        if (!fileFound) {
            ApplyFirstRunDefaults(settings, site);
        }
    }
}

LoadedSettings LoadSettings(const std::string& settingsFolder) {
    const std::string path = settingsFolder + kSettingsFileName;
    LoadedSettings loaded;
    const std::optional<std::string> bytes = ReadFileHead(path, kSettingsFileSize);
    loaded.fileFound = bytes.has_value();
    loaded.settings = DecodeSettings(bytes.value_or(std::string()));
    RepairSettings(loaded.settings, loaded.fileFound);
    struct stat info {};
    const bool absent = ::lstat(path.c_str(), &info) != 0;
    if (loaded.fileFound || absent) {
        loaded.saved = SaveSettings(settingsFolder, loaded.settings);
    }
    return loaded;
}

bool SaveSettings(const std::string& settingsFolder, const PersistentSettings& settings) {
    // A soft.dat kept as a link (a dotfiles repository) is saved into its target and stays a link.
    return WriteFileAtomically(FollowLinks(settingsFolder + kSettingsFileName), EncodeSettings(settings));
}

}  // namespace albumora
