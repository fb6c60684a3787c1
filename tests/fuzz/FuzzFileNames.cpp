// Every name from a site, cleaned or used in a picture name, must stay one name inside its folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/files/SafeFileName.h"
#include "core/workflow/PictureNaming.h"

using namespace albumora;

namespace {

// Characters no cleaned name may hold: controls (C0, DEL, C1), direction marks and overrides, line
// and paragraph separators.
bool IsUnclean(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || c == 0x2028 ||
           c == 0x2029 || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void CheckName(const WString& name, bool allowEmpty) {
    if ((!allowEmpty && name.empty()) || name == u"." || name == u".." || name.find(u'/') != WString::npos ||
        name.find(u'\0') != WString::npos || ToUtf8(name).size() > kMaxNameBytes) {
        std::abort();
    }
}

// A cleaned name also holds nothing unclean and neither starts nor ends with a dot or a blank.
void CheckCleaned(const WString& name) {
    CheckName(name, true);
    if (std::any_of(name.begin(), name.end(), IsUnclean)) {
        std::abort();
    }
    if (!name.empty() &&
        (name.back() == u'.' || name.back() == u' ' || name.front() == u'.' || name.front() == u' ')) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t mode = data[0] % 3;
    const WString text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    WString cleaned = text;
    MakeSafeFileName(cleaned);
    CheckCleaned(cleaned);
    WString withFallback = text;
    MakeSafeFileName(withFallback, kTimeStampFallback, true);
    CheckName(withFallback, false);
    CheckCleaned(withFallback);

    // The same text as prefix, description and address of a picture.
    SiteNamingRecord naming;
    naming.pictureNameMode = mode;
    SetNamingText(naming.pictureNamePrefix, text.substr(0, 12));
    SetNamingText(naming.replaceFrom, text.substr(0, 5));
    SetNamingText(naming.replaceTo, text.substr(std::min<size_t>(5, text.size()), 5));
    ST_PERLISTRECORD album;
    album.name = cleaned.empty() ? WString(u"album") : cleaned;
    const WString owner = text.substr(0, 8);
    const NamingContext context{naming, album, 18, 1, 1, owner};
    PictureNameDraft draft = DraftPictureName(context, u"http://h/" + text, text, 1);
    const WString name = FinishPictureName(
        std::move(draft), data[0], [](const WString&) { return false; }, 1);
    // A whole path is the workflow's to vet against the save folder.
    if (!IsAbsolutePictureName(text)) {
        CheckName(name, false);
    }
    CheckName(AlbumFolderName(context), true);
    return 0;
}
