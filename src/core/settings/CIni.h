#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/text/WideText.h"

namespace albumora {

// A read-only ini reader for hand-edited files: UTF-16LE or UTF-16BE with a byte-order mark, UTF-8
// with or without one, else GBK. Section and key names compare without regard to letter case and
// the first occurrence of a key wins. Values lose surrounding blanks and one pair of enclosing
// quotes. Lines starting with ';' or '#' are comments; lines without '=' are ignored.
class CIni {
public:
    // False, with nothing loaded, when the file does not exist or cannot be read.
    bool LoadFile(const std::string& path);
    void LoadBytes(std::string_view bytes);

    // The value of `key` in `section`, or `defaultText` when either is missing. An empty section or
    // key asks for nothing and gets the default.
    WString GetString(WStringView section, WStringView key, WStringView defaultText) const;

    // Decodes a file's bytes by the encoding rules above.
    static WString DecodeIniText(std::string_view bytes);

private:
    struct Entry {
        WString section;  // lower-cased
        WString key;      // lower-cased
        WString value;
    };
    std::vector<Entry> m_entries;
};

}  // namespace albumora
