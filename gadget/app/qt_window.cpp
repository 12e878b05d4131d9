#include "gadget/app/qt_window.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>

#include "gadget/app/fonts.h"
#include "gadget/app/pictures.h"
#include "gadget/app/platform.h"
#include "gadget/display/carried_pictures.h"
#include "gadget/window/field_catalogue.h"

namespace tv {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A frame with its caption on the border line.
constexpr const char* kFrameStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
    " left: 6px; padding: 0 2px; }";

// Widest a balloon tooltip may be; longer texts wrap.
constexpr int kBalloonTipWidth = 180;

// Moves `top` so that its frame lies within the available area of the
// screen it is on (the primary one when it is on none), as far as it fits.
// The compositor places windows on Wayland: nothing to do there.
void KeepOnScreen(QWidget* top) {
  if (OnWayland()) return;
  const QRect frame = top->frameGeometry();
  const QScreen* screen = QGuiApplication::screenAt(frame.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QPoint at(
      std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
      std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
  if (at != frame.topLeft()) top->move(at);
}

// While it lives, the xdg-activation token is where Qt's Wayland platform
// takes it from when a window asks to be activated (the environment: the
// only way in with Qt 6.4); gone again afterwards, used or not, so that a
// stale one is never offered.
class ActivationToken {
 public:
  ActivationToken(const QString& token, bool trace) : given_(!token.isEmpty() && OnWayland()) {
    if (!given_) return;
    qputenv("XDG_ACTIVATION_TOKEN", token.toLatin1());
    if (trace) std::fprintf(stderr, "window activated with token %s\n", qPrintable(token));
  }
  ~ActivationToken() {
    if (given_) qunsetenv("XDG_ACTIVATION_TOKEN");
  }
  ActivationToken(const ActivationToken&) = delete;
  ActivationToken& operator=(const ActivationToken&) = delete;

 private:
  bool given_;
};

// The gadget window: its close box only hides it.
class GadgetWidget final : public QWidget {
 public:
  GadgetWidget() : QWidget(nullptr, Qt::Window) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    hide();
  }
};

// Shows a balloon tooltip only while the gadget window is the active window,
// wrapped to kBalloonTipWidth pixels.
class BalloonTipFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) return false;
    if (!widget->isActiveWindow()) return true;  // swallowed: no tooltip
    const QString text = widget->toolTip();
    const QFontMetrics metrics(QToolTip::font());
    QString shown = text.toHtmlEscaped();
    if (metrics.horizontalAdvance(text) > kBalloonTipWidth) {
      shown = QString("<table width=\"%1\"><tr><td>%2</td></tr></table>")
                  .arg(kBalloonTipWidth)
                  .arg(shown);
    }
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), shown, widget);
    return true;
  }
};

Qt::Alignment AlignmentOf(Align align) {
  switch (align) {
    case Align::kCentre:
      return Qt::AlignHCenter | Qt::AlignTop;
    case Align::kRight:
      return Qt::AlignRight | Qt::AlignTop;
    case Align::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignTop;
}

QTableWidget* MakeColumnList(const FieldEntry& e, QWidget* parent) {
  auto* list = new QTableWidget(0, static_cast<int>(e.columns.size()), parent);
  QStringList titles;
  for (const ListColumn& c : e.columns) titles << Text(c.title);
  list->setHorizontalHeaderLabels(titles);
  list->verticalHeader()->hide();
  list->setShowGrid(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(e.full_row_select ? QAbstractItemView::SelectRows
                                               : QAbstractItemView::SelectItems);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setWordWrap(false);
  const QFont font = FontFor(e.font);
  list->setFont(font);
  list->horizontalHeader()->setHighlightSections(false);
  const QFontMetrics metrics(font);
  list->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
  // Auto columns are at least as wide as their header text and their declared
  // width; the last of them takes whatever width is left.
  int last_auto = -1;
  for (int i = 0; i < static_cast<int>(e.columns.size()); ++i) {
    const ListColumn& c = e.columns[static_cast<std::size_t>(i)];
    int width = c.width;
    if (c.auto_size) {
      width = qMax(c.width, metrics.horizontalAdvance(Text(c.title)) + 12);
      last_auto = i;
    }
    list->setColumnWidth(i, width);
  }
  if (last_auto == static_cast<int>(e.columns.size()) - 1) {
    list->horizontalHeader()->setStretchLastSection(true);
  }
  return list;
}

}  // namespace

QtWindow::QtWindow() {
  const char* trace = std::getenv("TV_BALLOON_TRACE");
  trace_ = trace != nullptr && std::strcmp(trace, "1") == 0;
  widgets_.assign(kFieldCount, nullptr);
  blink_shown_.assign(kFieldCount, false);
  blinking_.assign(kFieldCount, false);
  blink_timer_ = new QTimer(this);
  blink_timer_->setInterval(static_cast<int>(kBlinkPeriod.count()));
  connect(blink_timer_, &QTimer::timeout, this, [this] {
    for (std::size_t i = 0; i < blinking_.size(); ++i) {
      if (blinking_[i]) Flip(static_cast<Field>(i));
    }
  });
  Build();
}

QtWindow::~QtWindow() {
  DropWorkerCalls();
  delete widgets_[static_cast<std::size_t>(Field::GadgetWindow)];
}

void QtWindow::Build() {
  tip_filter_ = new BalloonTipFilter(this);
  page_of_.assign(kFieldCount, Field::GadgetWindow);
  page_built_.assign(kFieldCount, false);
  // Each field's page (the window itself for the fields outside the pages);
  // parents come before their children in the catalogue.
  for (const FieldEntry& e : FieldCatalogue()) {
    if (e.id == Field::GadgetWindow) continue;
    const auto i = static_cast<std::size_t>(e.id);
    page_of_[i] = CatalogueEntry(e.parent).kind == FieldKind::kPage
                      ? e.parent
                      : page_of_[static_cast<std::size_t>(e.parent)];
  }
  std::vector<QGroupBox*> frames;
  for (const FieldEntry& e : FieldCatalogue()) {
    if (page_of_[static_cast<std::size_t>(e.id)] == Field::GadgetWindow) Create(e, frames);
  }
  // Group boxes are drawn under the fields they frame and never take their
  // mouse, whatever their place in the creation order.
  for (QGroupBox* frame : frames) frame->lower();
  if (tabs_ != nullptr) {
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
      RunGuarded(error_report_, "affichage", [&] { BuildPageAt(index); });
    });
    BuildPageAt(tabs_->currentIndex());
  }
}

void QtWindow::BuildPageAt(int index) {
  if (tabs_ == nullptr || index < 0) return;
  for (const Field page : DetailPages()) {
    if (widgets_[static_cast<std::size_t>(page)] == tabs_->widget(index)) BuildPage(page);
  }
}

void QtWindow::BuildPage(Field page) {
  const auto p = static_cast<std::size_t>(page);
  if (page_built_[p]) return;
  page_built_[p] = true;
  std::vector<QGroupBox*> frames;
  std::vector<Field> made;
  for (const FieldEntry& e : FieldCatalogue()) {
    if (page_of_[static_cast<std::size_t>(e.id)] != page) continue;
    Create(e, frames);
    made.push_back(e.id);
  }
  for (QGroupBox* frame : frames) frame->lower();
  // What was asked of the fields until now, in the order the calls would
  // have made it.
  for (const Field field : made) {
    QWidget* w = widgets_[static_cast<std::size_t>(field)];
    if (w == nullptr) continue;
    const auto found = pending_.find(field);
    if (found != pending_.end()) {
      Pending kept = std::move(found->second);
      pending_.erase(found);
      if (kept.text) ApplyText(field, *kept.text);
      if (kept.picture) SetPicture(field, *kept.picture);
      if (kept.rose) {
        const RoseDrawing& r = *kept.rose;
        DrawWindRose(field, r.background, r.text, r.angle_degrees, r.start_x, r.start_y);
      }
      if (kept.tooltip) SetTooltip(field, *kept.tooltip);
      for (const std::string& row : kept.rows) AppendRow(field, row);
      for (const TreeEntry& item : kept.tree)
        AppendTreeItem(field, item.text, item.image, item.level);
      for (const std::string& line : kept.lines) InsertLine(field, LineCount(field), line);
      if (kept.visible && !*kept.visible) {
        w->setVisible(false);
        continue;
      }
    }
    // Made under a page that may already show: shown with it.
    w->setVisible(true);
  }
}

QtWindow::Pending* QtWindow::PendingOf(Field field) {
  const auto i = static_cast<std::size_t>(field);
  if (i >= page_of_.size()) return nullptr;
  const Field page = page_of_[i];
  if (page == Field::GadgetWindow || page_built_[static_cast<std::size_t>(page)]) return nullptr;
  return &pending_[field];
}

void QtWindow::Create(const FieldEntry& e, std::vector<QGroupBox*>& frames) {
  {
    QWidget* parent =
        e.id == Field::GadgetWindow ? nullptr : widgets_[static_cast<std::size_t>(e.parent)];
    QWidget* w = nullptr;
    switch (e.kind) {
      case FieldKind::kWindow: {
        auto* top = new GadgetWidget;
        top->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        top->setWindowTitle(Text(e.text));
        top->setFixedSize(e.w, e.h);
        // The catalogue's place, kept on the screen when shown; the
        // compositor places the window on Wayland.
        if (!OnWayland()) top->move(e.x, e.y);
        // Plain tooltips show even while the window is not the active one.
        top->setAttribute(Qt::WA_AlwaysShowToolTips);
        w = top;
        break;
      }
      case FieldKind::kArea:
        w = new QWidget(parent);
        break;
      case FieldKind::kTabPanel:
        tabs_ = new QTabWidget(parent);
        // Compact tabs, so that the ten pages fit the panel's width. The
        // style sheets are set on the few widgets they style: one on the
        // whole window would put every widget under the style-sheet style
        // (a third of the program's own memory, and start-up time).
        tabs_->tabBar()->setStyleSheet("QTabBar::tab { padding: 3px 1px; }");
        tabs_->setIconSize(QSize(16, 16));
        tabs_->setFont(FontFor(e.font));
        w = tabs_;
        break;
      case FieldKind::kPage: {
        w = new QWidget;
        const QPixmap& icon = PixmapFor(CarriedPictureImage(e.picture));
        if (tabs_ != nullptr) tabs_->addTab(w, QIcon(icon), Text(e.text));
        break;
      }
      case FieldKind::kFrame: {
        auto* frame = new QGroupBox(Text(e.text), parent);
        // The caption on the border line.
        frame->setStyleSheet(kFrameStyle);
        frame->setFont(FontFor(e.font));
        frames.push_back(frame);
        w = frame;
        break;
      }
      case FieldKind::kText: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(AlignmentOf(e.align));
        label->setFont(FontFor(e.font));
        label->setText(Text(e.text));
        w = label;
        break;
      }
      case FieldKind::kPicture: {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (!e.picture.empty()) label->setPixmap(PixmapFor(CarriedPictureImage(e.picture)));
        w = label;
        break;
      }
      case FieldKind::kColumnList:
        w = MakeColumnList(e, parent);
        break;
      case FieldKind::kTree: {
        auto* tree = new QTreeWidget(parent);
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated(true);
        tree->setItemsExpandable(true);
        tree->setIconSize(QSize(16, 16));
        tree->setFont(FontFor(e.font));
        w = tree;
        break;
      }
      case FieldKind::kLineList: {
        auto* list = new QListWidget(parent);
        list->setFont(FontFor(e.font));
        w = list;
        break;
      }
      case FieldKind::kToggleButton: {
        auto* button = new QToolButton(parent);
        button->setCheckable(true);
        const QPixmap& picture = PixmapFor(CarriedPictureImage(e.picture));
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
        w = button;
        break;
      }
    }
    if (w == nullptr) return;
    const std::string_view name = FieldName(e.id);
    w->setObjectName(Text(name));
    if (e.kind != FieldKind::kWindow && e.kind != FieldKind::kPage) {
      w->setGeometry(e.x, e.y, e.w, e.h);
    }
    if (e.tooltip_kind != TooltipKind::kNone) {
      w->setToolTip(Text(e.tooltip));
      if (e.tooltip_kind == TooltipKind::kBalloon) w->installEventFilter(tip_filter_);
    }
    widgets_[static_cast<std::size_t>(e.id)] = w;
  }
}

QWidget* QtWindow::TopLevel() const {
  return widgets_[static_cast<std::size_t>(Field::GadgetWindow)];
}

QWidget* QtWindow::Widget(Field field) {
  const auto i = static_cast<std::size_t>(field);
  if (i >= widgets_.size()) return nullptr;
  if (widgets_[i] == nullptr && page_of_[i] != Field::GadgetWindow) BuildPage(page_of_[i]);
  return widgets_[i];
}

void QtWindow::BuildAllPages() {
  for (const Field page : DetailPages()) BuildPage(page);
}

QWidget* QtWindow::Built(Field field) const {
  const auto i = static_cast<std::size_t>(field);
  return i < widgets_.size() ? widgets_[i] : nullptr;
}

template <typename W>
W* QtWindow::As(Field field) const {
  return qobject_cast<W*>(Built(field));
}

void QtWindow::OnGui(const std::function<void()>& work) {
  if (QThread::currentThread() == thread()) {
    work();
    return;
  }
  if (dropping_.load()) return;
  auto call = std::make_shared<Call>();
  call->work = work;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
  }
  QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  call_done_.wait(lock, [&] { return call->done || (dropping_.load() && !call->running); });
  // Given up by the quit before it ran: it must never run after this
  // returns, since it refers to the caller's arguments.
  if (!call->done) call->abandoned = true;
}

void QtWindow::Drain() {
  for (;;) {
    std::shared_ptr<Call> call;
    {
      std::lock_guard lock(mutex_);
      if (calls_.empty()) return;
      call = std::move(calls_.front());
      calls_.pop_front();
      if (call->abandoned) continue;
      call->running = true;
    }
    // A failing widget call must not take the GUI thread down.
    RunGuarded(error_report_, "affichage", [&] { call->work(); });
    {
      std::lock_guard lock(mutex_);
      call->running = false;
      call->done = true;
    }
    call_done_.notify_all();
  }
}

void QtWindow::DropWorkerCalls() {
  {
    std::lock_guard lock(mutex_);
    dropping_.store(true);
  }
  call_done_.notify_all();
}

void QtWindow::SetTray(TrayPresenter* tray) {
  OnGui([&] {
    tray_ = tray;
    if (tray_ == nullptr) return;
    if (has_pending_tooltip_) tray_->SetTooltip(pending_tooltip_);
    has_pending_tooltip_ = false;
    for (const BalloonRequest& b : pending_balloons_) tray_->ShowBalloon(b);
    pending_balloons_.clear();
  });
}

void QtWindow::SetText(Field field, std::string_view text) {
  OnGui([&] {
    ApplyText(field, text);
    if (field == watched_field_ && text_seen_) text_seen_(text);
  });
}

void QtWindow::ApplyText(Field field, std::string_view text) {
  if (Pending* p = PendingOf(field)) {
    p->text = std::string(text);
    return;
  }
  const QString t = Text(text);
  if (auto* label = As<QLabel>(field);
      label != nullptr && CatalogueEntry(field).kind == FieldKind::kText) {
    label->setText(t);
  } else if (auto* frame = As<QGroupBox>(field)) {
    frame->setTitle(t);
  } else if (field == Field::GadgetWindow) {
    TopLevel()->setWindowTitle(t);
  }
}

void QtWindow::SetPicture(Field field, ImageHandle image) {
  OnGui([&] {
    if (Pending* p = PendingOf(field)) {
      p->picture = image;
      p->rose.reset();
      return;
    }
    if (CatalogueEntry(field).kind == FieldKind::kPicture) {
      if (auto* label = As<QLabel>(field)) {
        if (image == kNoImage) {
          label->clear();
        } else {
          label->setPixmap(PixmapFor(image));
        }
      }
    } else if (auto* button = As<QToolButton>(field)) {
      const QPixmap& picture = PixmapFor(image);
      button->setIcon(QIcon(picture));
      if (!picture.isNull()) button->setIconSize(picture.size());
    }
  });
}

void QtWindow::SetVisible(Field field, bool visible) {
  OnGui([&] {
    if (field == Field::GadgetWindow) return;  // ShowWindow / HideWindow
    if (Pending* p = PendingOf(field)) {
      p->visible = visible;
      return;
    }
    if (QWidget* w = Built(field)) w->setVisible(visible);
  });
}

void QtWindow::SetTooltip(Field field, std::string_view text) {
  OnGui([&] {
    if (Pending* p = PendingOf(field)) {
      p->tooltip = std::string(text);
      return;
    }
    if (QWidget* w = Built(field)) w->setToolTip(Text(text));
  });
}

void QtWindow::Flip(Field field) {
  const auto i = static_cast<std::size_t>(field);
  blink_shown_[i] = !blink_shown_[i];
  if (Pending* p = PendingOf(field)) {
    p->visible = blink_shown_[i];
  } else if (QWidget* w = Built(field)) {
    w->setVisible(blink_shown_[i]);
  }
}

void QtWindow::StartBlinking(Field field) {
  OnGui([&] {
    const auto i = static_cast<std::size_t>(field);
    if (i >= widgets_.size() || field == Field::GadgetWindow) return;
    if (widgets_[i] == nullptr && PendingOf(field) == nullptr) return;
    // It flips at once, then with the others at each tick of the timer.
    blinking_[i] = true;
    Flip(field);
    if (!blink_timer_->isActive()) blink_timer_->start();
  });
}

void QtWindow::StopBlinking(Field field) {
  OnGui([&] {
    const auto i = static_cast<std::size_t>(field);
    if (i >= blinking_.size()) return;
    blinking_[i] = false;
    if (std::find(blinking_.begin(), blinking_.end(), true) == blinking_.end()) {
      blink_timer_->stop();
    }
  });
}

void QtWindow::SelectPage(int index) {
  OnGui([&] {
    auto* tabs = As<QTabWidget>(Field::DetailTabs);
    if (tabs != nullptr && index >= 0 && index < tabs->count()) tabs->setCurrentIndex(index);
  });
}

void QtWindow::ClearRows(Field list) {
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      p->rows.clear();
    } else if (auto* table = As<QTableWidget>(list)) {
      table->setRowCount(0);
    }
  });
}

void QtWindow::InsertRow(Field list, int position, std::string_view columns) {
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      const int row = std::clamp(position, 0, static_cast<int>(p->rows.size()));
      p->rows.insert(p->rows.begin() + row, std::string(columns));
      return;
    }
    auto* table = As<QTableWidget>(list);
    if (table == nullptr) return;
    const int row = std::clamp(position, 0, table->rowCount());
    table->insertRow(row);
    const QStringList texts = Text(columns).split('\n');
    for (int c = 0; c < table->columnCount() && c < texts.size(); ++c) {
      table->setItem(row, c, new QTableWidgetItem(texts[c]));
    }
  });
}

void QtWindow::AppendRow(Field list, std::string_view columns) {
  InsertRow(list, std::numeric_limits<int>::max(), columns);
}

void QtWindow::RemoveRow(Field list, int position) {
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      if (position >= 0 && position < static_cast<int>(p->rows.size())) {
        p->rows.erase(p->rows.begin() + position);
      }
      return;
    }
    auto* table = As<QTableWidget>(list);
    if (table != nullptr && position >= 0 && position < table->rowCount()) {
      table->removeRow(position);
    }
  });
}

int QtWindow::RowCount(Field list) {
  int count = 0;
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      count = static_cast<int>(p->rows.size());
    } else if (auto* table = As<QTableWidget>(list)) {
      count = table->rowCount();
    }
  });
  return count;
}

void QtWindow::ClearTree(Field tree) {
  OnGui([&] {
    if (Pending* p = PendingOf(tree)) {
      p->tree.clear();
    } else if (auto* t = As<QTreeWidget>(tree)) {
      t->clear();
    }
  });
}

void QtWindow::AppendTreeItem(Field tree, std::string_view text, ImageHandle image, int level) {
  OnGui([&] {
    if (Pending* p = PendingOf(tree)) {
      p->tree.push_back({std::string(text), image, level});
      return;
    }
    auto* t = As<QTreeWidget>(tree);
    if (t == nullptr) return;
    QTreeWidgetItem* parent = nullptr;
    const int depth = std::clamp(level, 0, 2);
    if (depth >= 1 && t->topLevelItemCount() > 0) {
      parent = t->topLevelItem(t->topLevelItemCount() - 1);
      if (depth == 2 && parent->childCount() > 0) parent = parent->child(parent->childCount() - 1);
    }
    auto* item = new QTreeWidgetItem(QStringList{Text(text)});
    if (image != kNoImage) item->setIcon(0, QIcon(PixmapFor(image)));
    if (parent != nullptr) {
      parent->addChild(item);
      parent->setExpanded(true);
    } else {
      t->addTopLevelItem(item);
    }
  });
}

void QtWindow::InsertLine(Field list, int position, std::string_view line) {
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      const int at = std::clamp(position, 0, static_cast<int>(p->lines.size()));
      p->lines.insert(p->lines.begin() + at, std::string(line));
      return;
    }
    auto* l = As<QListWidget>(list);
    if (l == nullptr) return;
    l->insertItem(std::clamp(position, 0, l->count()), Text(line));
  });
}

void QtWindow::RemoveLine(Field list, int position) {
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      if (position >= 0 && position < static_cast<int>(p->lines.size())) {
        p->lines.erase(p->lines.begin() + position);
      }
      return;
    }
    auto* l = As<QListWidget>(list);
    if (l != nullptr && position >= 0 && position < l->count()) delete l->takeItem(position);
  });
}

int QtWindow::LineCount(Field list) {
  int count = 0;
  OnGui([&] {
    if (Pending* p = PendingOf(list)) {
      count = static_cast<int>(p->lines.size());
    } else if (auto* l = As<QListWidget>(list)) {
      count = l->count();
    }
  });
  return count;
}

bool QtWindow::IsPressed(Field button) {
  bool pressed = false;
  OnGui([&] {
    if (auto* b = As<QToolButton>(button)) pressed = b->isChecked();
  });
  return pressed;
}

void QtWindow::SetActivationToken(const QString& token) {
  activation_token_ = token;
}

void QtWindow::ShowWindow() {
  OnGui([&] {
    QWidget* top = TopLevel();
    // Back in the state it had: a minimised window comes back as it was.
    top->setWindowState(top->windowState() & ~Qt::WindowMinimized);
    if (!top->isVisible()) KeepOnScreen(top);
    const ActivationToken token(std::exchange(activation_token_, {}), trace_);
    top->show();
    top->raise();
    top->activateWindow();
  });
}

void QtWindow::HideWindow() {
  OnGui([&] { TopLevel()->hide(); });
}

void QtWindow::ActivateWindow() {
  OnGui([&] {
    const ActivationToken token(std::exchange(activation_token_, {}), trace_);
    TopLevel()->raise();
    TopLevel()->activateWindow();
  });
}

void QtWindow::SetTrayTooltip(std::string_view text) {
  OnGui([&] {
    // Whole: the tray cuts it where its host needs it cut.
    const QString whole = Text(text);
    if (tray_ != nullptr) {
      tray_->SetTooltip(whole);
    } else {
      pending_tooltip_ = whole;
      has_pending_tooltip_ = true;
    }
  });
}

void QtWindow::ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                           int seconds) {
  OnGui([&] {
    const BalloonRequest balloon = BalloonRequest::Make(title, text, icon_kind, seconds);
    if (tray_ != nullptr) {
      tray_->ShowBalloon(balloon);
    } else if (pending_balloons_.size() < 64) {
      // Asked for before the tray icon exists: shown once it does.
      pending_balloons_.push_back(balloon);
    }
  });
}

void QtWindow::DrawWindRose(Field field, ImageHandle background, std::string_view text,
                            double angle_degrees, int start_x, int start_y) {
  OnGui([&] {
    if (Pending* p = PendingOf(field)) {
      p->rose = RoseDrawing{background, std::string(text), angle_degrees, start_x, start_y};
      p->picture.reset();
      return;
    }
    auto* label = As<QLabel>(field);
    if (label == nullptr || CatalogueEntry(field).kind != FieldKind::kPicture) return;
    const FieldEntry& e = CatalogueEntry(field);
    QPixmap picture(e.w, e.h);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const QPixmap& rose = PixmapFor(background);
    if (!rose.isNull()) painter.drawPixmap(picture.rect(), rose);
    painter.setPen(QColor(255, 0, 255));
    // The start point is the top left corner of the text, which turns about
    // it, counter-clockwise for a positive angle.
    painter.translate(start_x, start_y);
    painter.rotate(-angle_degrees);
    painter.drawText(QPoint(0, painter.fontMetrics().ascent()), Text(text));
    painter.end();
    label->setPixmap(picture);
  });
}

void QtWindow::Batch(const std::function<void()>& draw) {
  std::exception_ptr failed;
  OnGui([&] {
    try {
      draw();
    } catch (...) {
      failed = std::current_exception();
    }
  });
  if (failed) std::rethrow_exception(failed);
}

}  // namespace tv
