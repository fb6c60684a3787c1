#pragma once

#include <cstdio>

namespace albumora {

template <typename... Args>
WString FormatNumber(const char* format, Args... args) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0) {
        return {};
    }
    if (static_cast<size_t>(n) >= sizeof buffer) {
        n = sizeof buffer - 1;
    }
    return WidenAscii(std::string_view(buffer, static_cast<size_t>(n)));
}

}  // namespace albumora
