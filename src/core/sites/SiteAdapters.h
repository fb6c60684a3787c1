#pragma once

#include "core/text/WideText.h"

namespace albumora {

class Workflow;

// Huaban: a board address gives one album; its pins are paged through at download.
void ListHuabanBoard(Workflow& workflow, const WString& address);
void CollectHuabanPins(Workflow& workflow, int albumPosition);

// Duitang: any page of a user or an album leads to the user's albums, or to the one album.
// Returns true when the address names a single album, whose download starts right after listing.
bool ListDuitangFromAddress(Workflow& workflow, const WString& address);
void ListDuitangAlbums(Workflow& workflow, const WString& userId);
void CollectDuitangPictures(Workflow& workflow, int albumPosition);

}  // namespace albumora
