#include "app/ChannelPreviewGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/video/TVideoWindow.h"
#include "settings/Globals.h"

namespace pvx::app {

TChannelPreviewGrid::TChannelPreviewGrid(QWidget* form, const TPreviewSource& source)
    : QObject(form), form_(form), source_(source) {
  TimerDwell.OnTimer = [this](platform::TTimer&) { Step(); };
  TimerHighlight.OnTimer = [this](platform::TTimer&) { Highlight(); };
}

TChannelPreviewGrid::~TChannelPreviewGrid() {
  Stop();
  for (QLabel* label : labels_) delete label;
  for (QLabel* cell : cells_) delete cell;
  for (QLabel* empty : empties_) delete empty;
}

QString TChannelPreviewGrid::CellLabel(int kind, int channel) {
  switch (kind) {
    case kAntenna:
    case kCable:
      return QString::number(channel);
    case kComposite:
      return settings::LanguageText("Composite", "Composite");
    case kSVideo:
      return settings::LanguageText("SVideo", "S-Video");
    case kCamera:
      return settings::LanguageText("Aux", "Video Aux");
    default:
      return settings::LanguageText("PreviewNotDefined", "Not defined");
  }
}

void TChannelPreviewGrid::Start(const QRect& client, const QMargins& borders,
                                platform::video::TVideoWindow* video) {
  dimension_ = std::clamp(source_.Dimension ? source_.Dimension() : 3, 2, 5);
  const int count = std::min(source_.Count ? source_.Count() : 0, dimension_ * dimension_);
  for (int cell = 0; cell < count; ++cell) {
    auto* image = new QLabel(form_);
    image->setObjectName(QString("PreviewCell%1").arg(cell + 1));
    image->setScaledContents(true);
    image->installEventFilter(this);
    image->show();
    cells_.push_back(image);

    auto* label = new QLabel(form_);
    label->setObjectName(QString("PreviewLabel%1").arg(cell + 1));
    label->setAttribute(Qt::WA_TranslucentBackground);
    // Clicks go through to the cell beneath.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setStyleSheet("color: yellow; background: transparent;");
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->show();
    labels_.push_back(label);
  }
  // A page with fewer channels than places says so in the places left, rather than leave holes.
  for (int place = count; place < dimension_ * dimension_; ++place) {
    auto* empty = new QLabel(settings::LanguageText("PreviewNoChannel", "No channel"), form_);
    empty->setObjectName(QString("PreviewEmpty%1").arg(place + 1));
    empty->setAlignment(Qt::AlignCenter);
    empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    empty->setStyleSheet("color: #8a9099; background: #1c1f24; border: 1px solid #2e333a;");
    empty->show();
    empties_.push_back(empty);
  }
  ClearSelection();
  Layout(client, borders);
  video_ = video;
  live_ = cells_.empty() ? -1 : 0;
  PlaceVideo();

  const int dwellMs = (source_.Interval ? source_.Interval() : 2) * 1000;
  TimerDwell.SetInterval(dwellMs);
  TimerDwell.SetEnabled(true);
  Step();
  TimerHighlight.SetInterval(dwellMs / 8);
  TimerHighlight.SetEnabled(true);
}

void TChannelPreviewGrid::HideCells() {
  for (auto* list : {&cells_, &labels_, &empties_})
    for (QLabel* label : *list) label->hide();
}

void TChannelPreviewGrid::Stop() {
  TimerDwell.SetEnabled(false);
  TimerHighlight.SetEnabled(false);
}

void TChannelPreviewGrid::Layout(const QRect& client, const QMargins& borders) {
  const int n = dimension_;
  const int w = client.width() - (borders.left() + borders.right());
  const int h = client.height() - (borders.top() + borders.bottom());
  for (int place = 0; place < CellCount() + int(empties_.size()); ++place) {
    const int row = place / n;
    const int column = place % n;
    const QRect space((w / n) * column + 5 + borders.left(), (h / n) * row + 5 + borders.top(), w / n - 10,
                      h / n - 10);
    // The picture in its own 4:3 shape, centred in its place.
    QRect box(QPoint(), QSize(4, 3).scaled(space.size(), Qt::KeepAspectRatio));
    box.moveCenter(space.center());
    if (place >= CellCount()) {
      empties_[size_t(place - CellCount())]->setGeometry(box);
      continue;
    }
    const int cell = place;
    cells_[cell]->setGeometry(box);
    QLabel* label = labels_[cell];
    label->setGeometry(box.left(), box.top(), box.width(), box.height() / 5);
    QFont font = label->font();
    font.setPointSize(std::max(box.height() / 10, 8));
    label->setFont(font);
  }
  PlaceVideo();
  form_->update();
}

void TChannelPreviewGrid::SetVideoWindow(platform::video::TVideoWindow* video) {
  video_ = video;
  PlaceVideo();
}

void TChannelPreviewGrid::PlaceVideo() {
  if (!video_ || live_ < 0 || live_ >= CellCount()) return;
  video_->SetAligned(false);
  video_->setGeometry(cells_[live_]->geometry());
  video_->show();
  video_->raise();
  // The channel numbers stay readable over the live picture.
  for (QLabel* label : labels_) label->raise();
}

void TChannelPreviewGrid::Step() {
  if (cells_.empty()) return;
  const int cell = next_;
  cells_[cell]->show();
  if (live_ >= 0 && live_ < CellCount()) {
    // The cell the video leaves keeps the last frame of its channel.
    QImage still = GrabStill ? GrabStill() : QImage();
    if (still.isNull() && video_) still = video_->CurrentFrame();
    if (!still.isNull()) cells_[live_]->setPixmap(QPixmap::fromImage(still));
  }
  previous_ = live_;
  live_ = cell;
  PlaceVideo();
  if (source_.Tune) source_.Tune(cell);
  // Tuning waits for the tuner, and the preview may have been left meanwhile.
  if (!TimerDwell.Enabled()) return;
  if (source_.Name) labels_[cell]->setText(source_.Name(cell));
  if (++next_ >= CellCount()) {
    next_ = 0;
    if (source_.NextPage) source_.NextPage();
  }
}

void TChannelPreviewGrid::Highlight() {
  if (previous_ >= 0 && previous_ < CellCount() && cells_[previous_]->isHidden()) cells_[previous_]->update();
  if (live_ >= 0 && live_ < CellCount()) cells_[live_]->update();
}

int TChannelPreviewGrid::CellAt(QPoint point) const {
  for (int cell = 0; cell < CellCount(); ++cell)
    if (cells_[cell]->geometry().contains(point)) return cell;
  return -1;
}

void TChannelPreviewGrid::ClearSelection() {
  selected_ = -1;
  form_->update();
}

void TChannelPreviewGrid::SelectPreviewCell(int cell) {
  if (cell < 0 || cell >= CellCount()) return;
  selected_ = cell;
  form_->update();
}

QRect TChannelPreviewGrid::SelectionFrame() const {
  if (selected_ < 0) return {};
  return cells_[selected_]->geometry().adjusted(-2, -2, 2, 2);
}

void TChannelPreviewGrid::PaintSelection(QPainter& painter) const {
  if (selected_ < 0) return;
  painter.setPen(QPen(QColor(0, 255, 255), 2, Qt::SolidLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(SelectionFrame());
}

bool TChannelPreviewGrid::Usable(int row, int column) const {
  if (row < 0 || column < 0 || row >= dimension_ || column >= dimension_) return false;
  const int cell = IndexOf(row, column);
  return cell < CellCount() && !cells_[cell]->isHidden();
}

bool TChannelPreviewGrid::FormKeyUp(int key) {
  const int n = dimension_;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (selected_ >= 0 && LeaveWithCell) LeaveWithCell(selected_);
      return true;
    case Qt::Key_Escape:
      if (LeaveWithCell) LeaveWithCell(selected_);
      return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
      break;
    default:
      return false;
  }
  if (selected_ < 0) {
    if (Usable(0, 0)) SelectPreviewCell(0);
    return true;
  }
  int row = selected_ / n;
  int column = selected_ % n;
  switch (key) {
    case Qt::Key_Left:
      if (--column < 0) {
        column = n - 1;
        if (--row < 0) row = n - 1;
      }
      break;
    case Qt::Key_Right:
      if (++column >= n) {
        column = 0;
        if (++row >= n) row = 0;
      }
      break;
    case Qt::Key_Up:
      --row;
      break;
    default:
      ++row;
      break;
  }
  if (Usable(row, column)) SelectPreviewCell(IndexOf(row, column));
  return true;
}

bool TChannelPreviewGrid::eventFilter(QObject* watched, QEvent* event) {
  auto* cell = qobject_cast<QLabel*>(watched);
  const auto it = std::find(cells_.begin(), cells_.end(), cell);
  if (it == cells_.end()) return QObject::eventFilter(watched, event);
  const int index = int(it - cells_.begin());
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      SelectPreviewCell(index);
      return true;
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      SelectPreviewCell(index);
      if (LeaveWithCell) LeaveWithCell(index);
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace pvx::app
