#include "core/workflow/PictureNaming.h"

#include "core/text/CaseFold.h"

#include <algorithm>

#include "core/files/FileHelpers.h"
#include "core/files/SafeFileName.h"
#include "core/text/StringCtrl.h"

namespace albumora {

namespace {

// Windows kept whole paths within 250 characters; the budget stays so that names stay portable.
constexpr std::size_t kPathBudget = 250;
// A name never shrinks below this under the budget, so that a deep save folder still yields names.
constexpr std::size_t kShortestBudgetedName = 16;
// Room that the extension and a duplicate counter "(12345)" take after the name.
constexpr std::size_t kSuffixRoomBytes = 16;
constexpr WStringView kDefaultExtension = u".jpg";

void ReplaceEscape(WString& text, int digit, WStringView value) {
    const char16_t escape[] = {u'?', static_cast<char16_t>(u'0' + digit), 0};
    ReplaceAll(text, escape, value);
}

}  // namespace

bool IsAbsolutePictureName(WStringView name) {
    return !name.empty() && name.front() == u'/';
}

WString ReplacePictureEscapes(WString text, const NamingContext& context, std::size_t jobLength) {
    if (text.find(u'?') == WString::npos) {
        return text;
    }
    const ST_PERLISTRECORD& album = context.album;
    ReplaceEscape(text, 1, album.name);
    ReplaceEscape(text, 2, IntToText(static_cast<long long>(jobLength) + 1));
    ReplaceEscape(text, 3, IntToText(album.listIndex + 1LL));
    ReplaceEscape(text, 4, IntToText(album.rating));
    ReplaceEscape(text, 5, IntToText(album.createdTime));
    ReplaceEscape(text, 6, IntToText(context.selectedCount));
    ReplaceEscape(text, 7, IntToText(static_cast<long long>(context.recordCount)));
    ReplaceEscape(text, 8, context.ownerName);
    ReplaceEscape(text, 9, FormatNumber("%04d", album.listIndex + 1));
    return text;
}

WString ReplaceFolderEscapes(WString text, const NamingContext& context) {
    if (text.find(u'?') == WString::npos) {
        return text;
    }
    const ST_PERLISTRECORD& album = context.album;
    ReplaceEscape(text, 1, album.name);
    ReplaceEscape(text, 3, IntToText(album.listIndex + 1LL));
    ReplaceEscape(text, 4, IntToText(static_cast<long long>(context.recordCount) - album.listIndex));
    if (context.siteCode == 0) {
        ReplaceEscape(text, 5, album.createdText);
    }
    ReplaceEscape(text, 9, FormatNumber("%04d", album.listIndex + 1));
    return text;
}

PictureNameDraft DraftPictureName(const NamingContext& context, WStringView pictureUrl,
                                  WStringView originalName, std::size_t jobLength) {
    PictureNameDraft draft;
    if (IsAbsolutePictureName(originalName)) {
        draft.name = WString(originalName);
        draft.duplicateBase = draft.name;
        return draft;
    }
    const SiteNamingRecord& naming = context.naming;
    WString base;
    bool byNumber = naming.pictureNameMode == 1;
    if (naming.pictureNameMode == 0) {
        base = WString(originalName);
        MakeSafeFileName(base);
        if (base.empty()) {
            base = context.album.name;
        }
    } else if (naming.pictureNameMode == 2) {
        const size_t slash = pictureUrl.rfind(u'/');
        if (slash != WStringView::npos && pictureUrl.find(u'/') > 0) {
            base = WString(pictureUrl.substr(slash + 1));
        } else {
            byNumber = true;
        }
    } else {
        byNumber = true;
    }
    if (byNumber) {
        base = IntToText(static_cast<long long>(jobLength) + 1);
        draft.numbered = true;
    }
    WString name = SlotText(naming.pictureNamePrefix) + base + SlotText(naming.pictureNameSuffix);
    if (name.find(u"?2") != WString::npos) {
        draft.numbered = true;
    }
    name = ReplacePictureEscapes(std::move(name), context, jobLength);
    ReplacePairs(name, SlotText(naming.replaceFrom), SlotText(naming.replaceTo));
    MakeSafeFileName(name, kTimeStampFallback, true);
    draft.duplicateBase = name;
    draft.name = std::move(name);
    return draft;
}

unsigned& DuplicateCounters::Next(WStringView base, WStringView extension) {
    WString key = ToLowerText(WString(base) + u'\0' + WString(extension));
    return m_next.try_emplace(std::move(key), 1u).first->second;
}

WString FinishPictureName(PictureNameDraft draft, std::size_t albumFolderLength,
                          const std::function<bool(const WString&)>& isTaken, std::size_t jobLength,
                          DuplicateCounters* counters) {
    WString& name = draft.name;
    const bool absolute = IsAbsolutePictureName(name);
    const std::size_t budget = std::max(
        kShortestBudgetedName, albumFolderLength < kPathBudget ? kPathBudget - albumFolderLength : 0);
    if (!absolute && name.size() > budget) {
        name.resize(budget);
        draft.duplicateBase = name;
    }
    WString extension(kDefaultExtension);
    const size_t dot = name.rfind(u'.');
    if (dot != WString::npos && HasPictureExtension(WStringView(name).substr(dot))) {
        extension = name.substr(dot);
        name.resize(dot);
    }
    if (!absolute) {
        // Linux refuses names over 255 bytes; leave room for the extension and a counter.
        const std::size_t before = name.size();
        LimitNameBytes(name, kMaxNameBytes - kSuffixRoomBytes);
        if (name.size() != before) {
            draft.duplicateBase = name;
        }
        LimitNameBytes(draft.duplicateBase, kMaxNameBytes - kSuffixRoomBytes);
    }
    if (jobLength > 0 && !draft.numbered && isTaken(name + extension)) {
        // The smallest free counter from 1; every counter below `next` was taken already.
        unsigned* next = counters != nullptr ? &counters->Next(draft.duplicateBase, extension) : nullptr;
        unsigned counter = next != nullptr ? *next : 1;
        do {
            name = draft.duplicateBase + FormatNumber("(%u)", counter++);
        } while (isTaken(name + extension));
        if (next != nullptr) {
            *next = counter;
        }
    }
    return name + extension;
}

WString AlbumFolderName(const NamingContext& context) {
    const SiteNamingRecord& naming = context.naming;
    WString folder = SlotText(naming.albumFolderPrefix) +
                     (naming.albumFolderMode == 0 ? context.album.name : WString()) +
                     SlotText(naming.albumFolderSuffix);
    folder = ReplaceFolderEscapes(std::move(folder), context);
    MakeSafeFileName(folder);
    return folder;
}

}  // namespace albumora
