#include "cli/CliSettings.h"

#include <cstdio>

namespace albumora::cli {

LoadedSettings LoadCliSettings(const CliContext& context) {
    LoadedSettings loaded = LoadSettings(context.settingsFolder);
    if (!loaded.saved) {
        std::fprintf(stderr, "albumora-cli: 无法写入设置文件 %s%s，本次使用读到的设置\n",
                     context.settingsFolder.c_str(), kSettingsFileName);
    }
    return loaded;
}

}  // namespace albumora::cli
