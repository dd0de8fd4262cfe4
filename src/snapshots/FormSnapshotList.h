#pragma once
// The snapshot browser: the store's pictures five to a page, with paging, keyboard selection,
// viewing, saving and deleting. Not modal; once made it lives on hidden after Exit.

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <array>

class QAction;
class QLabel;
class QMenu;
class QToolButton;

namespace pvx::snapshots {

class TSnapshotInfo;

class TFormSnapshotList final : public QWidget {
  Q_OBJECT
 public:
  TFormSnapshotList(TSnapshotInfo& store, QWidget* owner);

  static constexpr int kSlots = 5;

  int SelectedIndex = 0;
  int PageCount = 0;
  QRect FrameRect;
  bool FrameShown = false;

  void Normalise();
  void Fill();
  void CheckCurrentStatus();
  // Selects slot 0..4 of the page and frames it; nothing for an empty slot.
  void DrawSelectedImageFrame(int slot);
  void ApplyLanguage();

  void PreviousPage();
  void NextPage();
  void View();
  void Save();
  void SaveAll();
  void Delete();
  void DeleteAll();
  void Exit();

  QLabel* Slot(int k) const { return slots_[size_t(k)]; }
  QLabel* LabelPageIndicator() const { return LabelPageIndicator_; }
  // The tool buttons and menu items by their names ("SpeedButtonNextPage", "itemNextPage").
  QToolButton* Button(const QString& name) const;
  QAction* Item(const QString& name) const;
  QMenu* PopupMenu() const { return popup_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct TCommandEntry {
    QToolButton* Button;
    QAction* Item;
  };
  int PageStart() const { return SelectedIndex - SelectedIndex % kSlots; }
  // The last filled slot of the selected page; -1 when nothing is shown.
  int LastFilledSlot() const;
  bool HandleKey(int key);
  void MoveSelection(bool right);
  void AddCommand(const char* name, int icon, void (TFormSnapshotList::*run)());

  int StoreCount() const;

  TSnapshotInfo& store_;
  std::array<QLabel*, kSlots> slots_{};
  QLabel* LabelPageIndicator_ = nullptr;
  QMenu* popup_ = nullptr;
  std::vector<TCommandEntry> commands_;
};

// The browser of one store: made on first use, then brought up again on its first slot.
class TSnapshotBrowser {
 public:
  explicit TSnapshotBrowser(TSnapshotInfo& store) : store_(store) {}
  TFormSnapshotList* Show(QWidget* owner);
  // The browser, once made; nullptr before.
  TFormSnapshotList* Form() const { return form_; }

 private:
  TSnapshotInfo& store_;
  QPointer<TFormSnapshotList> form_;
};

}  // namespace pvx::snapshots
