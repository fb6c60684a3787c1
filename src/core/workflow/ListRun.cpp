#include "core/workflow/ListRun.h"

#include "core/files/SafeFileName.h"
#include "core/sites/SiteAddress.h"
#include "core/workflow/AlbumRows.h"
#include "core/workflow/Messages.h"

namespace albumora {

ListRun::ListRun(const RunEnvironment& environment, SiteInterfaces& interfaces, Listing& listing, Hooks hooks)
    : SiteRun(environment, listing), m_interfaces(interfaces), m_hooks(std::move(hooks)) {}

void ListRun::Stop() {
    ListState fetching = ListState::Fetching;
    if (m_state.compare_exchange_strong(fetching, ListState::StopRequested)) {
        m_stopPages.Raise();
    }
}

void ListRun::AddAlbum(ST_PERLISTRECORD record) {
    if (!m_env.ready) {
        return;
    }
    // Cut before the name is made unique, so that two long names that agree in their shown part
    // still get folders of their own.
    if (record.name.size() > kShownNameLength) {
        record.name.resize(kShownNameLength);
        record.nameCut = true;
    }
    const size_t length = m_env.albums.AddAlbumRecord(record);
    if (length > 0) {
        m_env.view.AddGridEntry(static_cast<int>(length) - 1);
    }
}

void ListRun::Refuse(WStringView problem) {
    m_env.view.ShowMessage(ShownText(problem));
}

void ListRun::Run() {
    m_listing = {};
    const WString address = Trimmed(m_env.view.AddressText());
    if (address.empty()) {
        Refuse(kMsgEmptyAddress);
        ListRunResult refusal;
        refusal.addressProblem = true;
        m_hooks.publish(refusal);
        m_state = ListState::Idle;
        return;
    }
    m_env.view.ApplyControlState(ControlMoment::ListStarts, true);
    m_env.view.SetGroupTitle(WString(kGroupTitle));
    m_env.view.SetStatusText(StatusLine::Main, WString(kStatusListing));
    m_env.view.SetStatusText(StatusLine::Progress, {});

    ListOutcome outcome;
    bool refused = false;
    if (const WStringView problem = AddressProblem(address); !problem.empty()) {
        refused = true;
        Refuse(problem);
    } else {
        // The sites' pages as browsers show them ("https://", "www.") lead to the same requests.
        const WString siteAddress = CanonicalSiteAddress(address);
        if (const SiteEntry* site = SiteOf(siteAddress)) {
            const SiteInterfaces::Listing listed = m_interfaces.List(*this, *site, siteAddress);
            outcome = listed.outcome;
            m_listing.adapter = listed.adapter;
        }
    }
    Finish(address, outcome, refused);
}

void ListRun::Finish(const WString& address, const ListOutcome& outcome, bool refused) {
    // The owner becomes one folder under the save folder.
    WString& owner = m_listing.carry.ownerName;
    MakeSafeFileName(owner);
    if (!owner.empty()) {
        owner += u"/";
    }
    if (m_env.cookieStore != nullptr) {
        m_env.cookieStore->Flush();
    }
    m_env.view.RefreshGrid();
    // Whoever stopped the fetch does not want a download to start by itself.
    const bool stopped = m_state == ListState::StopRequested || m_env.abandoned;
    m_hooks.publish(ListRunResult{.albums = m_env.albums.size(),
                                  .complete = outcome.stage.complete && !stopped,
                                  .stopped = stopped,
                                  .addressProblem = refused,
                                  .problem = outcome.stage.problem});
    const auto n = static_cast<long long>(m_env.albums.size());
    m_env.view.SetGroupTitle(AlbumListTitle(n));
    if (stopped) {
        m_env.view.SetStatusText(StatusLine::Main, ListStoppedText(n));
    } else if (!outcome.stage.complete) {
        m_env.view.SetStatusText(StatusLine::Main, n > 0 ? ListIncompleteText(n, outcome.stage.problem)
                                                         : ListFailedText(outcome.stage.problem));
    } else {
        m_env.view.SetStatusText(StatusLine::Main, ListDoneText(n));
    }
    m_state = ListState::Idle;
    m_env.view.ApplyControlState(ControlMoment::ListEnds, n == 0);
    // From here on only calls that do not wait on the interface thread: it may already be joining
    // this thread for the next fetch. The address box was disabled during the fetch, so the text
    // read at the start is still its text.
    if (n > 0) {
        m_hooks.rememberAddress(address);
        if (outcome.singleAlbum && !stopped && outcome.stage.complete) {
            m_env.view.SelectAllAlbums();
            m_env.view.StartDownload();
        }
    }
}

}  // namespace albumora
