#pragma once

#include <atomic>
#include <functional>

#include "core/util/StopSignal.h"
#include "core/workflow/RunEnvironment.h"
#include "core/workflow/RunResults.h"
#include "core/workflow/SiteTable.h"
#include "core/workflow/SiteWork.h"

namespace albumora {

// One press of 获取相册: the albums behind the address in the box, listed by the site's adapter.
// Made by the list button, run and owned by the list worker thread, gone when the listing ends.
// Stop() and state() may be called from any thread; everything else is the worker's own.
class ListRun final : public ListWork {
public:
    struct Hooks {
        // The run's result, published before its state turns Idle.
        std::function<void(const ListRunResult&)> publish;
        // The address listed some albums: into the address history.
        std::function<void(const WString&)> rememberAddress;
    };

    ListRun(const RunEnvironment& environment, SiteInterfaces& interfaces, Listing& listing, Hooks hooks);
    ListRun(const ListRun&) = delete;
    ListRun& operator=(const ListRun&) = delete;

    // The listing, on the worker thread. `listing` is filled before the state turns Idle.
    void Run();
    // The stop button, or closing: ends the page requests and the pauses at once.
    void Stop();
    ListState state() const { return m_state; }
    // After a failure that ended Run() by an exception.
    void GiveUp() { m_state = ListState::Idle; }

private:
    // ListWork
    ST_URLREQUEST NewRequest(WString url) const override;
    void Pause(std::chrono::milliseconds duration) const override;
    bool PagesStopped() const override { return m_stopPages.raised(); }
    void ForgetCookiesOf(const WString& address) override;
    void ShowMessage(const WString& text) override { m_env.view.ShowMessage(text); }
    std::optional<ST_PERLISTRECORD> AlbumAt(std::size_t position) const override {
        return m_env.albums.AlbumAt(position);
    }
    Carry& carry() override { return m_listing.carry; }
    bool ListStopRequested() const override { return m_state == ListState::StopRequested; }
    void AddAlbum(ST_PERLISTRECORD record) override;

    // The address names nothing to list: said, and the result says so.
    void Refuse(WStringView problem);
    // The last words: title, status line, controls, and the address into the history.
    void Finish(const WString& address, const ListOutcome& outcome);

    const RunEnvironment m_env;
    SiteInterfaces& m_interfaces;
    Listing& m_listing;
    const Hooks m_hooks;
    std::atomic<ListState> m_state{ListState::Fetching};
    // Ends the page requests in flight and the pauses between pages.
    StopSignal m_stopPages;
};

}  // namespace albumora
