#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "core/settings/PersistentSettings.h"
#include "core/util/Clock.h"
#include "core/workflow/AlbumList.h"
#include "core/workflow/SiteWork.h"
#include "core/workflow/WorkflowView.h"

namespace albumora {

class CookieStore;
class SiteAdapter;

// What the workflow lends each run it starts. All of it outlives every run; the runs touch the
// album list and the view as the two are made to be touched from any thread.
struct RunEnvironment {
    WorkflowView& view;
    // Written by a list run, and by the interface thread while no run lists.
    AlbumList& albums;
    CookieStore* cookieStore;
    Clock& clock;
    std::string settingsFolder;
    // A front end is up: listed albums may be shown.
    const std::atomic<bool>& ready;
    // The window closes or Ctrl-C came: nobody answers a question, and nothing starts by itself.
    const std::atomic<bool>& abandoned;
};

// What a listing leaves for the downloads of its albums: the interface that listed them, which
// collects their pictures, and what it carries over. A list run fills it before it reports its end;
// download runs, which never run beside a list run, go on from it.
struct Listing {
    const SiteAdapter* adapter = nullptr;
    SiteWork::Carry carry;
};

}  // namespace albumora
