#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/AddressInput.h"
#include "core/workflow/Workflow.h"

namespace albumora::cli {

// The last words of an address's download on standard error, after the workflow's own summary
// line: every count that is not "saved", one a line, each album that is not complete, a listing
// that ended short, and whether the run was stopped.
void PrintRunSummary(const DownloadRunResult& result, const ListRunResult& listing, bool stopped);

// What a batch of addresses came to, for its one summary at the end.
class BatchSummary {
public:
    explicit BatchSummary(std::size_t addresses) : m_addresses(addresses) {}

    // A signal came before the address's turn.
    void NotStarted(const ListedAddress& listed);
    // The address cannot be listed (the reason is told already).
    void Refused(const ListedAddress& listed);
    // The address was worked through; `downloaded` holds its run's counts when a run took place.
    void Add(const ListedAddress& listed, bool complete, std::size_t albums,
             const DownloadRunResult* downloaded);

    bool allComplete() const { return m_complete == m_addresses; }
    void Print() const;

private:
    std::size_t m_addresses;
    std::size_t m_complete = 0;
    std::size_t m_albums = 0;
    DownloadRunResult m_total;
    std::vector<std::string> m_unfinished;
};

}  // namespace albumora::cli
