#include "core/workflow/AlbumRows.h"

#include <algorithm>

#include "core/text/CodePage.h"

namespace albumora {

WString AlbumNoteText(std::int32_t accessFlags) {
    if (accessFlags < 0) {
        return FormatNumber("%08u", static_cast<unsigned>(accessFlags) & 0x7FFFFFFFu);
    }
    if (accessFlags & 0x1) {
        return u"加密相册";
    }
    if (accessFlags & 0x2) {
        return u"私密相册";
    }
    if (accessFlags & 0x4) {
        return u"好友可见";
    }
    return {};
}

WString ShownAlbumName(const ST_PERLISTRECORD& album) {
    if (!album.nameCut) {
        return album.name;
    }
    const std::size_t cut = std::min(kShownNameLength, album.name.size());
    return album.name.substr(0, cut) + u"…" + album.name.substr(cut);
}

AlbumRowTexts MakeAlbumRowTexts(const ST_PERLISTRECORD& album, int rowNumber) {
    return {
        FormatNumber("%04d", rowNumber),
        ShownAlbumName(album),
        album.pictureCount == -1 ? WString(u"未知")
                                 : FormatNumber("%4u", static_cast<unsigned>(album.pictureCount)),
        AlbumNoteText(album.accessFlags),
    };
}

std::string ExportLine(const std::vector<WString>& cells) {
    WString line;
    for (WString cell : cells) {
        std::erase(cell, u'\'');
        ReplaceAll(cell, u"\"", u"\"\"");
        ReplaceAll(cell, u",", u"','");
        line += cell;
        line += u',';
    }
    return EncodeText(line, CodePage::Gbk) + "\r\n";
}

}  // namespace albumora
