#pragma once

#include "core/text/WideText.h"

namespace albumora {

// Every host name of the two served sites, once.
inline constexpr WStringView kHuabanDomain = u"huaban.com";
inline constexpr WStringView kHuabanBoardPrefix = u"http://huaban.com/boards/";
inline constexpr WStringView kHuabanPictureHost = u"img.hb.aicdn.com";
inline constexpr WStringView kDuitangDomain = u"duitang.com";
inline constexpr WStringView kDuitangHost = u"www.duitang.com";

}  // namespace albumora
