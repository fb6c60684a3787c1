#pragma once

#include <QSize>
#include <string>
#include <vector>

#include "core/text/WideText.h"
#include "core/workflow/AlbumList.h"
#include "gui/grid/CGridCtrl.h"

namespace albumora::gui {

// The album grid: a list view with one row per album, or a thumbnail view with the albums' covers
// in a matrix. Every album cell's data value is the album's position in the album list.
class CMyGridCtrl final : public CGridCtrl {
    Q_OBJECT

public:
    static constexpr int kListColumns = 6;

    explicit CMyGridCtrl(QWidget* parent = nullptr);

    // Clears the grid and lays it out for one view.
    void SetUpListView();
    // The thumbnail view has as many columns as the grid's width holds, sharing it, and lays its
    // cells out again when the width changes.
    void SetUpThumbnailView(QSize thumbnailSize);
    bool thumbnailView() const { return m_thumbnailView; }

    // List view: appends the album's row unless `filter` is set and the name does not contain it.
    void AddAlbumRow(int position, const ST_PERLISTRECORD& album, WStringView filter);
    // Thumbnail view: the album's cell, in a new row when it is the first of a row.
    void PlaceThumbnail(int position, const ST_PERLISTRECORD& album);

    // Positions of the selected albums in grid order; positions from `recordCount` on are skipped.
    std::vector<int> ChosenAlbums(std::size_t recordCount) const;
    // Makes `row` the only selected row and the focus row, and scrolls it into view.
    void SelectRow(int row);

    // The data rows as comma-separated text in GBK, one CR LF-ended line per row; empty without rows.
    std::string ExportText() const;
    // Writes ExportText() to `path`, replacing the file; false when it cannot be written.
    bool ExportTo(const QString& path) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The width the thumbnail columns share: as if the vertical scroll bar were shown, so that the
    // bar coming or going never changes the layout.
    int ThumbnailWidth() const;
    int FittingThumbnailColumns() const;
    // The columns share the width between them, so that no strip is left empty at the right.
    void SpreadThumbnailColumns();
    // Fills the cell of thumbnail `position`, adding the rows up to it.
    void PutThumbnailCell(int position, const QString& text, int image, int value);
    // Places the cells again in `columns` columns, keeping their order, selection and focus.
    void ReflowThumbnails(int columns);

    bool m_thumbnailView = false;
    int m_thumbnailColumns = 1;
    int m_thumbnailCellWidth = 1;
    int m_thumbnailsPlaced = 0;
};

}  // namespace albumora::gui
