#include "support/RecordingView.h"

namespace albumora::test {

void RecordingView::SetStatusText(StatusLine line, const WString& text) {
    {
        std::lock_guard lock(m_mutex);
        (line == StatusLine::Main ? m_main : m_progress).push_back(text);
    }
    if (line == StatusLine::Progress && onProgress) {
        onProgress(text);
    }
}

void RecordingView::SetGroupTitle(const WString&) {}

void RecordingView::ApplyControlState(ControlMoment moment, bool) {
    std::lock_guard lock(m_mutex);
    m_moments.push_back(moment);
}

void RecordingView::ShowMessage(const WString& text) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}

bool RecordingView::AskYesNo(const WString& text) {
    std::lock_guard lock(m_mutex);
    m_questions.push_back(text);
    return answerYes;
}

void RecordingView::AddGridEntry(int position) {
    std::lock_guard lock(m_mutex);
    m_grid.push_back(position);
}

void RecordingView::SelectAllAlbums() {
    std::lock_guard lock(m_mutex);
    chosen.reset();
}

std::vector<int> RecordingView::ChosenAlbums() {
    const size_t count = workflow ? workflow->albums.size() : 0;
    std::lock_guard lock(m_mutex);
    std::vector<int> positions;
    for (int p = 0; p < static_cast<int>(count); ++p) {
        if (!chosen || chosen->contains(p)) {
            positions.push_back(p);
        }
    }
    return positions;
}

void RecordingView::StartDownload() {
    {
        std::lock_guard lock(m_mutex);
        ++m_downloadsStarted;
    }
    if (workflow) {
        workflow->OnDownloadButton();
    }
}

void RecordingView::HistoryAdded(HistoryKind, const WString&) {}

void RecordingView::ShowPictureProgress(unsigned done, unsigned total, unsigned failed) {
    std::lock_guard lock(m_mutex);
    m_pictureProgress.push_back({done, total, failed});
}

std::vector<RecordingView::PictureProgress> RecordingView::pictureProgress() const {
    std::lock_guard lock(m_mutex);
    return m_pictureProgress;
}

void RecordingView::AlbumFinished(unsigned, unsigned, unsigned failedCount) {
    std::lock_guard lock(m_mutex);
    m_albumFailures.push_back(failedCount);
}

void RecordingView::OpenFolder(const std::string& folder) {
    std::lock_guard lock(m_mutex);
    m_opened.push_back(folder);
}

std::vector<WString> RecordingView::messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}
std::vector<WString> RecordingView::questions() const {
    std::lock_guard lock(m_mutex);
    return m_questions;
}
std::vector<WString> RecordingView::statusTexts(StatusLine line) const {
    std::lock_guard lock(m_mutex);
    return line == StatusLine::Main ? m_main : m_progress;
}
std::vector<int> RecordingView::gridEntries() const {
    std::lock_guard lock(m_mutex);
    return m_grid;
}
std::vector<ControlMoment> RecordingView::moments() const {
    std::lock_guard lock(m_mutex);
    return m_moments;
}
std::vector<std::string> RecordingView::openedFolders() const {
    std::lock_guard lock(m_mutex);
    return m_opened;
}
std::vector<unsigned> RecordingView::albumFailures() const {
    std::lock_guard lock(m_mutex);
    return m_albumFailures;
}
int RecordingView::downloadsStarted() const {
    std::lock_guard lock(m_mutex);
    return m_downloadsStarted;
}

}  // namespace albumora::test
