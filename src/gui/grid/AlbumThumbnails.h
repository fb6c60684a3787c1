#pragma once

#include <QImage>
#include <QSize>

#include "core/workflow/Workflow.h"

namespace albumora::gui {

// The cover of the album at `position`, fetched into "tmp/<position>.jpg" of the settings folder and
// stretched to `size` (the aspect ratio is not kept, so that every cell is filled alike). A null image
// when the album has no cover or it cannot be fetched or decoded. Runs on a worker thread: it waits for
// the network.
QImage FetchCoverThumbnail(const Workflow& workflow, int position, QSize size);

}  // namespace albumora::gui
