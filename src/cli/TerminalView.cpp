#include "cli/TerminalView.h"

#include <unistd.h>

#include <iostream>

#include "core/workflow/AlbumRows.h"

namespace albumora::cli {

namespace {

// A terminal redrawn more often than this only flickers.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

// The live line of an album's pictures: done of total, pictures per second since they started, and
// the failures so far.
std::string PictureProgressLine(unsigned done, unsigned total, unsigned failed, double seconds) {
    char line[160];
    // The rate of the first instants says nothing.
    if (seconds >= 0.5 && done > 0) {
        std::snprintf(line, sizeof line, "已下载 %u/%u 张，%.1f 张/秒，失败 %u 张", done, total,
                      done / seconds, failed);
    } else {
        std::snprintf(line, sizeof line, "已下载 %u/%u 张，失败 %u 张", done, total, failed);
    }
    return line;
}

}  // namespace

std::string Printable(WStringView text) {
    WString clean(text);
    for (char16_t& c : clean) {
        if ((c < 0x20 && c != u'\n' && c != u'\t') || (c >= 0x7F && c <= 0x9F)) {
            c = u'\uFFFD';
        }
    }
    return ToUtf8(clean);
}

TerminalView::TerminalView(WString address, WString saveFolder, bool listOnly)
    : m_address(std::move(address)),
      m_saveFolder(std::move(saveFolder)),
      m_listOnly(listOnly),
      m_liveProgress(isatty(STDERR_FILENO) == 1) {}

void TerminalView::SetBatchPosition(std::size_t index, std::size_t count) {
    std::lock_guard lock(m_mutex);
    m_batchPrefix =
        count > 1 ? "[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " : std::string();
}

void TerminalView::EndLiveLineLocked() {
    if (m_liveLineOpen) {
        std::fputs("\n", stderr);
        m_liveLineOpen = false;
    }
}

void TerminalView::SetStatusText(StatusLine line, const WString& text) {
    std::lock_guard lock(m_mutex);
    if (line == StatusLine::Progress) {
        // Counts change with every picture: only a terminal shows them, in place.
        if (m_liveProgress && !text.empty() && !m_picturesRunning) {
            std::fprintf(stderr, "\r\033[K%s%s", m_batchPrefix.c_str(), Printable(text).c_str());
            m_liveLineOpen = true;
        }
        return;
    }
    if (!text.empty()) {
        EndLiveLineLocked();
        std::fprintf(stderr, "%s\n", Printable(text).c_str());
    }
}

void TerminalView::ShowMessage(const WString& text) {
    std::lock_guard lock(m_mutex);
    EndLiveLineLocked();
    std::fprintf(stderr, "%s\n", Printable(text).c_str());
    ++m_messagesShown;
}

bool TerminalView::AskYesNo(const WString& text) {
    std::lock_guard lock(m_mutex);
    EndLiveLineLocked();
    if (isatty(STDIN_FILENO) != 1) {
        std::fprintf(stderr, "%s [y/N] n（非终端，按“否”处理）\n", Printable(text).c_str());
        return false;
    }
    std::fprintf(stderr, "%s [y/N] ", Printable(text).c_str());
    std::string answer;
    std::getline(std::cin, answer);
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void TerminalView::AddGridEntry(int position) {
    if (!m_workflow) {
        return;
    }
    const auto album = m_workflow->albums.AlbumAt(static_cast<size_t>(position));
    if (!album) {
        return;
    }
    const AlbumRowTexts row = MakeAlbumRowTexts(*album, position + 1);
    const std::string line =
        Printable(row[0]) + "\t" + Printable(row[1]) + "\t" + Printable(row[2]) + "\t" + Printable(row[3]);
    std::lock_guard lock(m_mutex);
    EndLiveLineLocked();
    std::fprintf(m_listOnly ? stdout : stderr, "%s\n", line.c_str());
    std::fflush(m_listOnly ? stdout : stderr);
}

void TerminalView::ChooseAlbums(std::set<int> positions) {
    std::lock_guard lock(m_mutex);
    m_chosen = std::move(positions);
}

void TerminalView::SelectAllAlbums() {
    // A choice given on the command line stands; the automatic select-all of a single album only
    // stands in for the grid's selection.
}

std::vector<int> TerminalView::ChosenAlbums() {
    const size_t count = m_workflow ? m_workflow->albums.size() : 0;
    std::lock_guard lock(m_mutex);
    std::vector<int> positions;
    for (size_t p = 0; p < count; ++p) {
        if (m_chosen.empty() || m_chosen.contains(static_cast<int>(p))) {
            positions.push_back(static_cast<int>(p));
        }
    }
    return positions;
}

void TerminalView::ShowPictureProgress(unsigned done, unsigned total, unsigned failed) {
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_mutex);
    if (done == 0 || !m_picturesRunning) {
        m_picturesStarted = now;
        m_picturesRunning = true;
    } else if (done < total && now - m_lastDrawn < kRedrawInterval) {
        return;
    }
    if (!m_liveProgress) {
        return;
    }
    m_lastDrawn = now;
    const double seconds = std::chrono::duration<double>(now - m_picturesStarted).count();
    std::fprintf(stderr, "\r\033[K%s%s", m_batchPrefix.c_str(),
                 PictureProgressLine(done, total, failed, seconds).c_str());
    m_liveLineOpen = true;
}

void TerminalView::AlbumFinished(unsigned elapsedSec, unsigned pictureCount, unsigned failedCount) {
    std::lock_guard lock(m_mutex);
    m_picturesRunning = false;
    EndLiveLineLocked();
    std::fprintf(stderr, "已下载%u/%u，失败 %u 张，用时 %u 秒\n", pictureCount - failedCount, pictureCount,
                 failedCount, elapsedSec);
}

void TerminalView::OpenFolder(const std::string& folder) {
    std::lock_guard lock(m_mutex);
    EndLiveLineLocked();
    std::fprintf(stdout, "%s\n", Printable(FromUtf8(folder)).c_str());
}

}  // namespace albumora::cli
