#pragma once

#include <chrono>

#include "core/net/CookieStore.h"
#include "core/net/URLSource2.h"
#include "core/util/StopSignal.h"
#include "core/workflow/RunEnvironment.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

// What both runs give their adapters alike: page requests and pauses that the run's own stop
// ends, the shared cookies, messages, the albums and the listing's carry. `Work` is ListWork or
// CollectWork; the run adds the rest of it.
template <typename Work>
class SiteRun : public Work {
protected:
    SiteRun(const RunEnvironment& environment, Listing& listing) : m_env(environment), m_listing(listing) {}
    ~SiteRun() = default;

    ST_URLREQUEST NewRequest(WString url) const override {
        ST_URLREQUEST request(std::move(url), {}, kDefaultTimeoutMs);
        request.cookieStore = m_env.cookieStore;
        request.clock = &m_env.clock;
        request.cancel = &m_stopPages;
        request.requireSuccessStatus = true;
        return request;
    }
    void Pause(std::chrono::milliseconds duration) const override {
        m_env.clock.SleepFor(duration, m_stopPages);
    }
    bool PagesStopped() const override { return m_stopPages.raised(); }
    void ForgetCookiesOf(const WString& address) override {
        if (m_env.cookieStore != nullptr) {
            m_env.cookieStore->ResetHost(address);
        }
    }
    void ShowMessage(const WString& text) override { m_env.view.ShowMessage(text); }
    std::optional<ST_PERLISTRECORD> AlbumAt(std::size_t position) const override {
        return m_env.albums.AlbumAt(position);
    }
    SiteWork::Carry& carry() override { return m_listing.carry; }

    const RunEnvironment m_env;
    Listing& m_listing;
    // Ends the page requests in flight and the pauses between pages.
    StopSignal m_stopPages;
};

}  // namespace albumora
