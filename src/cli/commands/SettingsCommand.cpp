#include "cli/commands/SettingsCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string_view>

#include "cli/CliSettings.h"
#include "core/settings/SettingsEditing.h"
#include "core/settings/SettingsFolder.h"
#include "core/sites/SiteRecognition.h"
#include "core/text/CaseFold.h"

namespace albumora::cli {

namespace {

// The front ends keep working on the code of the sites that have adapters.
constexpr int kCurrentSiteCode = kSiteCodeHuabanDuitang;

struct NumberKey {
    std::string_view name;
    std::uint16_t SiteDownloadParams::*field;
};

constexpr NumberKey kNumberKeys[] = {
    {"threads", &SiteDownloadParams::threadCount},
    {"timeout", &SiteDownloadParams::timeoutSec},
    {"min-size", &SiteDownloadParams::minSizeK},
    {"max-size", &SiteDownloadParams::maxSizeK},
};

struct TextKey {
    std::string_view name;
    NamingTextSlot SiteNamingRecord::*field;
};

constexpr TextKey kTextKeys[] = {
    {"picture-prefix", &SiteNamingRecord::pictureNamePrefix},
    {"picture-suffix", &SiteNamingRecord::pictureNameSuffix},
    {"replace-from", &SiteNamingRecord::replaceFrom},
    {"replace-to", &SiteNamingRecord::replaceTo},
    {"folder-prefix", &SiteNamingRecord::albumFolderPrefix},
    {"folder-suffix", &SiteNamingRecord::albumFolderSuffix},
};

template <typename Key>
const Key* FindKey(std::span<const Key> keys, std::string_view name) {
    for (const Key& key : keys) {
        if (key.name == name) {
            return &key;
        }
    }
    return nullptr;
}

std::string ModeText(std::span<const WStringView> texts, unsigned mode) {
    const std::string label = mode < texts.size() ? ToUtf8(texts[mode]) : "?";
    return std::to_string(mode) + " (" + label + ")";
}

// A mode by its number or its radio text; -1 when it is neither.
int ParseMode(std::span<const WStringView> texts, const std::string& value) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (value == std::to_string(i) || value == ToUtf8(texts[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void PrintLine(std::string_view key, const std::string& value) {
    std::printf("%.*s: %s\n", static_cast<int>(key.size()), key.data(), value.c_str());
}

// The folder `download` uses without --save and the window offers first: the newest entry of the
// save-folder history. A folder the history holds already moves to the front, the others keep
// their order, and the oldest drops out for a new one.
bool SetSaveFolder(PersistentSettings& settings, const std::string& value) {
    const std::string absolute = AbsoluteFolder(value);
    if (absolute.empty()) {
        return false;
    }
    const WString folder = FromUtf8(absolute);
    if (folder.size() >= kHistorySlotUnits) {
        return false;
    }
    auto& slots = settings.History(HistoryKind::SavePath);
    const auto known = std::find_if(slots.begin(), slots.end(), [&](const HistorySlot& slot) {
        return slot[0] != u'\0' && EqualsNoCase(SlotText(slot), folder);
    });
    if (known != slots.end()) {
        std::rotate(slots.begin(), known, known + 1);
        SetSlotText(slots[0], folder, kHistorySlotUnits - 1);
        return true;
    }
    return RememberText(settings, HistoryKind::SavePath, folder);
}

void PrintSettings(const std::string& path, const PersistentSettings& settings) {
    const SiteDownloadParams& params = settings.downloadParams[kCurrentSiteCode];
    const SiteNamingRecord& naming = settings.namingRecords[kCurrentSiteCode];
    PrintLine("file", path);
    PrintLine("save-folder", "\"" + ToUtf8(SlotText(settings.savePathHistory[0])) + "\"");
    PrintLine("site",
              std::to_string(kCurrentSiteCode) + " (" + ToUtf8(SiteDisplayName(kCurrentSiteCode)) + ")");
    for (const NumberKey& key : kNumberKeys) {
        PrintLine(key.name, std::to_string(params.*key.field));
    }
    for (const TextKey& key : kTextKeys) {
        PrintLine(key.name, "\"" + ToUtf8(SlotText(naming.*key.field)) + "\"");
    }
    PrintLine("picture-mode", ModeText(kPictureNameModeTexts, naming.pictureNameMode));
    PrintLine("folder-mode", ModeText(kAlbumFolderModeTexts, naming.albumFolderMode));
    for (const OptionInfo& option : OptionTable()) {
        PrintLine(option.cliName, std::string(naming.HasOption(option.bit) ? "on" : "off") + " (" +
                                      ToUtf8(option.menuText) + ")");
    }
}

// A signed decimal integer as the dialog's edit boxes take it; anything else is refused.
bool ParseTyped(std::string_view text, long long& value) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

ExitCode Refuse(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    return ExitCode::Usage;
}

ExitCode ApplySetting(PersistentSettings& settings, const std::string& key, const std::string& value) {
    SiteDownloadParams& params = settings.downloadParams[kCurrentSiteCode];
    SiteNamingRecord& naming = settings.namingRecords[kCurrentSiteCode];
    if (const NumberKey* number = FindKey<NumberKey>(kNumberKeys, key)) {
        long long typed = 0;
        SiteDownloadParams edited = params;
        // The field keeps 16 bits, so 65536 would be stored as 0 (no limit): a number that the
        // field cannot hold as typed is refused, not wrapped.
        if (!ParseTyped(value, typed) || typed < 0 || typed > 0xFFFF) {
            return Refuse("参数错误");
        }
        edited.*number->field = ToStoredField(typed);
        if (!AcceptDownloadParams(edited)) {
            return Refuse("参数错误");
        }
        params = edited;
    } else if (const TextKey* text = FindKey<TextKey>(kTextKeys, key)) {
        SetNamingText(naming.*text->field, FromUtf8(value));
    } else if (key == "picture-mode" || key == "folder-mode") {
        const bool picture = key == "picture-mode";
        const int mode = ParseMode(picture ? std::span<const WStringView>(kPictureNameModeTexts)
                                           : std::span<const WStringView>(kAlbumFolderModeTexts),
                                   value);
        if (mode < 0) {
            return Refuse(picture ? "picture-mode 取 0/1/2 或 描述/序号/网址"
                                  : "folder-mode 取 0/1 或 相册名/无");
        }
        (picture ? naming.pictureNameMode : naming.albumFolderMode) = static_cast<std::uint8_t>(mode);
    } else if (key == "save-folder") {
        if (!SetSaveFolder(settings, value)) {
            return Refuse("save-folder 取一个文件夹的路径（不超过 399 个字符）");
        }
    } else if (const OptionInfo* option = FindOptionByCliName(key)) {
        if (value != "on" && value != "off") {
            return Refuse("选项的值取 on 或 off");
        }
        SetOption(naming, option->bit, value == "on");
    } else {
        std::fprintf(stderr, "albumora-cli: 未知的设置项 '%s'\n", key.c_str());
        return ExitCode::Usage;
    }
    return ExitCode::Ok;
}

}  // namespace

CLI::App* SettingsCommand::Define(CLI::App& app) {
    CLI::App* command = app.add_subcommand(
        "settings",
        "show the current site's settings, or change one and save (the keys are the names it shows)");
    m_set = command->add_subcommand("set", "settings set KEY VALUE: change one setting and save");
    // The two words are taken as they are: a value such as "-hd" or "--" is a text to store, not an
    // option, so the parser is told to stop at the key.
    m_set->set_help_flag();
    m_set->fallthrough(false);
    m_set->prefix_command();
    return command;
}

ExitCode SettingsCommand::Run(CliContext& context) {
    LoadedSettings loaded = LoadCliSettings(context);
    const std::string path = context.settingsFolder + kSettingsFileName;
    if (!m_set->parsed()) {
        PrintSettings(path, loaded.settings);
        return ExitCode::Ok;
    }
    const std::vector<std::string> words = m_set->remaining();
    if (words.size() != 2) {
        std::fprintf(stderr, "usage: albumora-cli settings set KEY VALUE\n");
        return ExitCode::Usage;
    }
    if (const ExitCode applied = ApplySetting(loaded.settings, words[0], words[1]); applied != ExitCode::Ok) {
        return applied;
    }
    if (!SaveSettings(context.settingsFolder, loaded.settings)) {
        std::fprintf(stderr, "albumora-cli: 无法保存设置文件 %s\n", path.c_str());
        return ExitCode::Failed;
    }
    PrintSettings(path, loaded.settings);
    return ExitCode::Ok;
}

}  // namespace albumora::cli
