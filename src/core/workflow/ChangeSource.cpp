// The list worker: the albums behind the address in the box, listed by the site's adapter.
#include "core/files/SafeFileName.h"
#include "core/net/CookieStore.h"
#include "core/settings/SettingsFolder.h"
#include "core/settings/SiteCodes.h"
#include "core/sites/SiteAddress.h"
#include "core/workflow/Messages.h"
#include "core/workflow/SiteTable.h"
#include "core/workflow/Workflow.h"

namespace albumora {

void Workflow::GetListFunc() {
    m_extension = ReadExtensionSettings(m_settingsFolder);
    m_siteCode = kSiteCodeHuabanDuitang;
    m_carry.ownerName.clear();
    ListRunResult result;
    const WString address = Trimmed(m_view.AddressText());
    if (address.empty()) {
        m_view.ShowMessage(ShownText(kMsgEmptyAddress));
        result.addressProblem = true;
        {
            std::lock_guard lock(m_resultMutex);
            m_lastList = result;
        }
        m_listState = ListState::Idle;
        return;
    }
    m_view.ApplyControlState(ControlMoment::ListStarts, true);
    m_view.SetGroupTitle(WString(kGroupTitle));
    m_view.SetStatusText(StatusLine::Main, WString(kStatusListing));
    m_view.SetStatusText(StatusLine::Progress, {});

    const int kind = m_view.AlbumKindSelection();
    if (kind >= 0) {
        m_siteSubKind = kind;
    }
    // The sites' pages as browsers show them ("https://", "www.") lead to the same requests.
    const WString siteAddress = CanonicalSiteAddress(address);
    SiteInterfaces::Listing listing;
    if (const WStringView problem = AddressProblem(address); !problem.empty()) {
        if (problem == kMsgNotHuabanBoard) {
            m_siteSubKind = kSubKindHuaban;
        }
        result.addressProblem = true;
        m_view.ShowMessage(ShownText(problem));
    } else if (const SiteEntry* site = SiteOf(siteAddress)) {
        listing = m_siteInterfaces->List(*this, *site, siteAddress);
    }
    m_listedBy = listing.adapter;
    const StageOutcome& outcome = listing.outcome.stage;
    const bool singleAlbum = listing.outcome.singleAlbum;

    // The owner becomes one folder under the save folder.
    MakeSafeFileName(m_carry.ownerName);
    if (!m_carry.ownerName.empty()) {
        m_carry.ownerName += u"/";
    }
    if (m_cookieStore != nullptr) {
        m_cookieStore->Flush();
    }
    m_view.RefreshGrid();
    const auto n = static_cast<long long>(albums.size());
    // Whoever stopped the fetch does not want a download to start by itself.
    const bool stopped = m_listState == ListState::StopRequested || m_abandoned;
    result.albums = albums.size();
    result.stopped = stopped;
    result.complete = outcome.complete && !stopped;
    result.problem = outcome.problem;
    {
        std::lock_guard lock(m_resultMutex);
        m_lastList = result;
    }
    m_view.SetGroupTitle(AlbumListTitle(n));
    if (stopped) {
        m_view.SetStatusText(StatusLine::Main, ListStoppedText(n));
    } else if (!outcome.complete) {
        m_view.SetStatusText(StatusLine::Main, n > 0 ? ListIncompleteText(n, outcome.problem)
                                                     : ListFailedText(outcome.problem));
    } else {
        m_view.SetStatusText(StatusLine::Main, ListDoneText(n));
    }
    m_listState = ListState::Idle;
    m_view.ApplyControlState(ControlMoment::ListEnds, n == 0);
    // From here on only calls that do not wait on the interface thread: it may already be joining
    // this thread for the next fetch. The address box was disabled during the fetch, so the text
    // read at the start is still its text.
    if (n > 0) {
        RememberHistory(HistoryKind::Address, address);
        if (singleAlbum && !stopped && outcome.complete) {
            m_view.SelectAllAlbums();
            m_view.StartDownload();
        }
    }
}

}  // namespace albumora
