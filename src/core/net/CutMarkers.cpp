#include "core/net/CutMarkers.h"

namespace albumora {

bool ApplyCutMarkers(std::string& body, std::string_view cutStart, std::string_view cutEnd) {
    if (!cutStart.empty()) {
        // Cutting at each first occurrence in turn; the last occurrence decides, including those
        // that only form once earlier bytes are gone.
        for (size_t at = body.find(cutStart); at != std::string::npos; at = body.find(cutStart)) {
            body.erase(0, at + cutStart.size());
        }
    }
    if (!cutEnd.empty()) {
        const size_t at = body.find(cutEnd);
        if (at != std::string::npos) {
            body.erase(at);
            return true;
        }
    }
    return false;
}

}  // namespace albumora
