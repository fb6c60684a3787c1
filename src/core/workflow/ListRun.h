#pragma once

#include <atomic>
#include <functional>

#include "core/workflow/RunEnvironment.h"
#include "core/workflow/RunResults.h"
#include "core/workflow/SiteRun.h"
#include "core/workflow/SiteTable.h"

namespace albumora {

// One press of 获取相册: the albums behind the address in the box, listed by the site's adapter.
// Made by the list button, run and owned by the list worker thread, gone when the listing ends.
// Stop() and state() may be called from any thread; everything else is the worker's own.
class ListRun final : public SiteRun<ListWork> {
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
    bool ListStopRequested() const override { return m_state == ListState::StopRequested; }
    void AddAlbum(ST_PERLISTRECORD record) override;

    // The address names nothing to list: said, and the result says so.
    void Refuse(WStringView problem);
    // The last words: the result, title, status line, controls, and the address into the history;
    // `refused` when the address was refused before anything was asked.
    void Finish(const WString& address, const ListOutcome& outcome, bool refused);

    SiteInterfaces& m_interfaces;
    const Hooks m_hooks;
    std::atomic<ListState> m_state{ListState::Fetching};
};

}  // namespace albumora
