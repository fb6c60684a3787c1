// Measures the naming of a board's pins without descriptions, which all fall back to one base name
// and so lean on the duplicate search: the CPU time of naming N pictures as the workflow does
// (draft, finish with the album's duplicate counters, remember the name).
//
//   albumora-naming-bench [--plain]   (--plain: without the counters, the search from "(1)")
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unordered_set>

#include "core/text/CaseFold.h"
#include "core/workflow/PictureNaming.h"

using namespace albumora;

namespace {

double NameAlbum(std::size_t pictures, bool withCounters) {
    SiteNamingRecord naming;
    naming.pictureNameMode = 0;
    ST_PERLISTRECORD album;
    album.name = u"画板";
    const NamingContext context{naming, album, 18, 1, 1, u"owner"};
    std::unordered_set<WString> taken;
    DuplicateCounters counters;
    const std::clock_t started = std::clock();
    for (std::size_t i = 0; i < pictures; ++i) {
        PictureNameDraft draft = DraftPictureName(
            context, u"http://img.hb.aicdn.com/key" + IntToText(static_cast<long long>(i)), u"", i);
        const WString name = FinishPictureName(
            std::move(draft), 40,
            [&](const WString& candidate) { return taken.contains(ToLowerText(candidate)); }, i,
            withCounters ? &counters : nullptr);
        taken.insert(ToLowerText(name));
    }
    return static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    const bool plain = argc > 1 && std::strcmp(argv[1], "--plain") == 0;
    // The plain search is quadratic: 100,000 would take half an hour.
    const std::size_t sizes[] = {10000, plain ? std::size_t{20000} : std::size_t{100000}};
    for (const std::size_t pictures : sizes) {
        std::printf("%zu pictures without descriptions, %s: %.2f s CPU\n", pictures,
                    plain ? "plain search" : "with counters", NameAlbum(pictures, !plain));
    }
    return 0;
}
