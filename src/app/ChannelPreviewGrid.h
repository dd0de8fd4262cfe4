#pragma once
// The channel-preview grid: one thumbnail cell per channel of the page, laid out n x n over the
// screen. The live video visits the cells in turn (the dwell timer), leaving each cell with the
// last frame of its channel; the user selects a cell with the mouse or the arrow keys and leaves
// the preview with it.

#include <QImage>
#include <QLabel>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <vector>

#include "platform/TTimer.h"
#include "platform/video/TVideoWindow.h"

class QPainter;

namespace pvx::app {

// The channels the preview shows, provided by the channel tables. Cells are numbered from 0,
// row by row.
struct TPreviewSource {
  std::function<int()> Count;             // cells on a page
  std::function<QString(int cell)> Name;  // the cell's label (see TChannelPreviewGrid::CellLabel)
  std::function<void(int cell)> Tune;     // puts the cell's channel or input on the live video
  std::function<void(int cell)> Select;   // leaving with the cell: makes its content current
  std::function<int()> Dimension;         // the grid size n, 2..5 (default 3)
  std::function<int()> Interval;          // dwell seconds per cell (default 2)
  std::function<void()> FirstPage;        // automatic mode: start at the current channel; fill
  std::function<void()> NextPage;         // fill the following page
};

class TChannelPreviewGrid final : public QObject {
  Q_OBJECT
 public:
  // Cell content kinds of custom grids.
  enum Kind { kNone = 0, kAntenna = 1, kCable = 2, kComposite = 3, kSVideo = 4, kCamera = 5 };

  TChannelPreviewGrid(QWidget* form, const TPreviewSource& source);
  ~TChannelPreviewGrid() override;

  // The label of a cell: the channel number for channel cells, else the input's name.
  static QString CellLabel(int kind, int channel);

  // Creates the cells and labels, lays them out, puts the video window over the first cell,
  // starts both timers and runs the first dwell step.
  void Start(const QRect& client, const QMargins& borders, platform::video::TVideoWindow* video);
  // Stops both timers; the cells stay until the grid is freed.
  void Stop();
  // Hides the cells, their labels and the empty places (the grid is on its way out).
  void HideCells();
  // Places the cells and labels over the client area (borders count even when hidden).
  void Layout(const QRect& client, const QMargins& borders);
  // One dwell step: the next cell goes live.
  void Step();

  void SetVideoWindow(platform::video::TVideoWindow* video);

  int Dimension() const { return dimension_; }
  int CellCount() const { return int(cells_.size()); }
  QLabel* Cell(int cell) const { return cells_.at(cell); }
  QLabel* Label(int cell) const { return labels_.at(cell); }
  int LiveCell() const { return live_; }
  // The cell under a point of the form; -1 for none.
  int CellAt(QPoint point) const;

  // Selection: -1 for none.
  int Selected() const { return selected_; }
  void SelectPreviewCell(int cell);
  void ClearSelection();
  // The selection frame, two pixels around the selected cell.
  QRect SelectionFrame() const;
  void PaintSelection(QPainter& painter) const;

  // Keys in the preview: Enter, Escape and the arrows. True when the key belongs to the grid.
  bool FormKeyUp(int key);

  platform::TTimer TimerDwell;
  platform::TTimer TimerHighlight;

  // Leaving the preview with a cell (-1: none selected).
  std::function<void(int cell)> LeaveWithCell;
  // A still of the live picture, for the cell the video leaves.
  std::function<QImage()> GrabStill;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int IndexOf(int row, int column) const { return row * dimension_ + column; }
  bool Usable(int row, int column) const;
  void PlaceVideo();
  void Highlight();

  QWidget* form_;
  TPreviewSource source_;
  QPointer<platform::video::TVideoWindow> video_;
  std::vector<QLabel*> cells_;
  std::vector<QLabel*> labels_;
  std::vector<QLabel*> empties_;  // the places a short page leaves
  int dimension_ = 3;
  int next_ = 0;   // the cell the next dwell step makes live
  int live_ = -1;  // the cell under the video window
  int previous_ = -1;
  int selected_ = -1;
};

}  // namespace pvx::app
