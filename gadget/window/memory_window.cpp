#include "gadget/window/memory_window.h"

#include <algorithm>
#include <sstream>

#include "lib/common/balloon.h"

namespace tv {
namespace {

// Line feeds are shown as "|" in the log so that one call stays one line.
std::string OneLine(std::string_view text) {
  std::string out(text);
  std::replace(out.begin(), out.end(), '\n', '|');
  return out;
}

template <typename T>
void Keep(std::deque<T>& history, T entry) {
  history.push_back(std::move(entry));
  while (history.size() > MemoryWindow::kHistoryLimit) history.pop_front();
}

std::size_t Clamp(int position, std::size_t size) {
  if (position < 0) return 0;
  return std::min(static_cast<std::size_t>(position), size);
}

}  // namespace

MemoryWindow::MemoryWindow(std::function<ImageHandle(std::string_view)> initial_picture,
                           const Clock& clock)
    : clock_(clock) {
  fields_.resize(kFieldCount);
  for (const FieldEntry& e : FieldCatalogue()) {
    FieldState& f = fields_[static_cast<std::size_t>(e.id)];
    if (e.kind == FieldKind::kText || e.kind == FieldKind::kFrame) f.text = e.text;
    if (initial_picture && !e.picture.empty() &&
        (e.kind == FieldKind::kPicture || e.kind == FieldKind::kToggleButton)) {
      f.picture = initial_picture(e.picture);
    }
  }
}

bool MemoryWindow::Is(Field field, std::initializer_list<FieldKind> kinds) const {
  if (static_cast<std::size_t>(field) >= kFieldCount) return false;
  const FieldKind kind = CatalogueEntry(field).kind;
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

void MemoryWindow::Record(std::string line) {
  if (keep_log_) Keep(log_, std::move(line));
}

void MemoryWindow::SetText(Field field, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (!Is(field, {FieldKind::kText, FieldKind::kFrame})) return;
  fields_[static_cast<std::size_t>(field)].text = text;
  Record("SetText " + std::string(FieldName(field)) + " " + OneLine(text));
}

void MemoryWindow::SetPicture(Field field, ImageHandle image) {
  std::lock_guard lock(mutex_);
  if (!Is(field, {FieldKind::kPicture, FieldKind::kToggleButton})) return;
  fields_[static_cast<std::size_t>(field)].picture = image;
  Record("SetPicture " + std::string(FieldName(field)) + " " + std::to_string(image));
}

void MemoryWindow::SetVisible(Field field, bool visible) {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return;
  FieldState& f = fields_[static_cast<std::size_t>(field)];
  f.visible = visible;
  f.visible_set = clock_.SteadyNow();
  Record(std::string(visible ? "Show " : "Hide ") + std::string(FieldName(field)));
}

void MemoryWindow::SetTooltip(Field field, std::string_view text) {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return;
  fields_[static_cast<std::size_t>(field)].tooltip = text;
  Record("SetTooltip " + std::string(FieldName(field)) + " " + OneLine(text));
}

MemoryWindow::Look MemoryWindow::LookAt(const FieldState& f, Clock::SteadyPoint now) const {
  if (!f.blinking || now < f.blink_start) return {f.visible, f.blink_shown};
  // One flip at the start, then one every period.
  const auto flips = 1 + (now - f.blink_start) / kBlinkPeriod;
  const bool shown = (flips % 2 == 1) ? !f.blink_shown : f.blink_shown;
  const Clock::SteadyPoint last_flip = f.blink_start + (flips - 1) * kBlinkPeriod;
  // A SetVisible after the last flip holds until the next one.
  const bool visible = f.visible_set >= last_flip ? f.visible : shown;
  return {visible, shown};
}

void MemoryWindow::StartBlinking(Field field) {
  std::lock_guard lock(mutex_);
  if (!Is(field, {FieldKind::kPicture, FieldKind::kText, FieldKind::kToggleButton})) return;
  FieldState& f = fields_[static_cast<std::size_t>(field)];
  const Clock::SteadyPoint now = clock_.SteadyNow();
  const Look look = LookAt(f, now);
  f.visible = look.visible;
  f.blink_shown = look.blink_shown;
  f.visible_set = Clock::SteadyPoint::min();  // the look so far is captured above
  f.blinking = true;
  f.blink_start = now;
  Record("StartBlinking " + std::string(FieldName(field)));
}

void MemoryWindow::StopBlinking(Field field) {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return;
  FieldState& f = fields_[static_cast<std::size_t>(field)];
  if (!f.blinking) return;
  const Clock::SteadyPoint now = clock_.SteadyNow();
  const Look look = LookAt(f, now);
  f.visible = look.visible;
  f.visible_set = now;
  f.blink_shown = look.blink_shown;
  f.blinking = false;
  Record("StopBlinking " + std::string(FieldName(field)));
}

bool MemoryWindow::Blinking(Field field) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return false;
  return fields_[static_cast<std::size_t>(field)].blinking;
}

void MemoryWindow::SelectPage(int index) {
  std::lock_guard lock(mutex_);
  if (index < 0 || static_cast<std::size_t>(index) >= DetailPages().size()) return;
  page_ = index;
  Record("SelectPage " + std::to_string(index));
}

void MemoryWindow::ClearRows(Field list) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kColumnList})) return;
  fields_[static_cast<std::size_t>(list)].rows.clear();
  Record("ClearRows " + std::string(FieldName(list)));
}

void MemoryWindow::InsertRow(Field list, int position, std::string_view columns) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kColumnList})) return;
  auto& rows = fields_[static_cast<std::size_t>(list)].rows;
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(Clamp(position, rows.size())),
              std::string(columns));
  Record("InsertRow " + std::string(FieldName(list)) + " " + std::to_string(position) + " " +
         OneLine(columns));
}

void MemoryWindow::AppendRow(Field list, std::string_view columns) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kColumnList})) return;
  fields_[static_cast<std::size_t>(list)].rows.emplace_back(columns);
  Record("AppendRow " + std::string(FieldName(list)) + " " + OneLine(columns));
}

void MemoryWindow::RemoveRow(Field list, int position) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kColumnList})) return;
  auto& rows = fields_[static_cast<std::size_t>(list)].rows;
  if (position < 0 || static_cast<std::size_t>(position) >= rows.size()) return;
  rows.erase(rows.begin() + position);
  Record("RemoveRow " + std::string(FieldName(list)) + " " + std::to_string(position));
}

int MemoryWindow::RowCount(Field list) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kColumnList})) return 0;
  return static_cast<int>(fields_[static_cast<std::size_t>(list)].rows.size());
}

void MemoryWindow::ClearTree(Field tree) {
  std::lock_guard lock(mutex_);
  if (!Is(tree, {FieldKind::kTree})) return;
  fields_[static_cast<std::size_t>(tree)].tree.clear();
  Record("ClearTree " + std::string(FieldName(tree)));
}

void MemoryWindow::AppendTreeItem(Field tree, std::string_view text, ImageHandle image, int level) {
  std::lock_guard lock(mutex_);
  if (!Is(tree, {FieldKind::kTree})) return;
  level = std::clamp(level, 0, 2);
  fields_[static_cast<std::size_t>(tree)].tree.push_back({std::string(text), image, level});
  Record("AppendTreeItem " + std::string(FieldName(tree)) + " " + std::to_string(level) + " " +
         OneLine(text));
}

void MemoryWindow::InsertLine(Field list, int position, std::string_view line) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kLineList})) return;
  auto& lines = fields_[static_cast<std::size_t>(list)].lines;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(Clamp(position, lines.size())),
               std::string(line));
  Record("InsertLine " + std::string(FieldName(list)) + " " + std::to_string(position) + " " +
         OneLine(line));
}

void MemoryWindow::RemoveLine(Field list, int position) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kLineList})) return;
  auto& lines = fields_[static_cast<std::size_t>(list)].lines;
  if (position < 0 || static_cast<std::size_t>(position) >= lines.size()) return;
  lines.erase(lines.begin() + position);
  Record("RemoveLine " + std::string(FieldName(list)) + " " + std::to_string(position));
}

int MemoryWindow::LineCount(Field list) {
  std::lock_guard lock(mutex_);
  if (!Is(list, {FieldKind::kLineList})) return 0;
  return static_cast<int>(fields_[static_cast<std::size_t>(list)].lines.size());
}

bool MemoryWindow::IsPressed(Field button) {
  std::lock_guard lock(mutex_);
  if (!Is(button, {FieldKind::kToggleButton})) return false;
  return fields_[static_cast<std::size_t>(button)].pressed;
}

void MemoryWindow::ShowWindow() {
  std::lock_guard lock(mutex_);
  shown_ = true;
  Record("ShowWindow");
}

void MemoryWindow::HideWindow() {
  std::lock_guard lock(mutex_);
  shown_ = false;
  Record("HideWindow");
}

void MemoryWindow::ActivateWindow() {
  std::lock_guard lock(mutex_);
  ++activations_;
  Record("ActivateWindow");
}

void MemoryWindow::SetTrayTooltip(std::string_view text) {
  std::lock_guard lock(mutex_);
  tray_tooltip_ = TrayTooltipText(text);
  Record("SetTrayTooltip " + OneLine(text));
}

void MemoryWindow::ShowBalloon(std::string_view title, std::string_view text, int icon_kind,
                               int seconds) {
  std::lock_guard lock(mutex_);
  const BalloonRequest cut = BalloonRequest::Make(title, text, icon_kind, seconds);
  Keep(balloons_, Balloon{cut.title, cut.text, static_cast<int>(cut.icon), cut.seconds});
  Record("ShowBalloon " + OneLine(title) + " " + OneLine(text));
}

void MemoryWindow::DrawWindRose(Field field, ImageHandle background, std::string_view text,
                                double angle_degrees, int start_x, int start_y) {
  std::lock_guard lock(mutex_);
  if (!Is(field, {FieldKind::kPicture})) return;
  Keep(roses_,
       WindRoseDrawing{field, background, std::string(text), angle_degrees, start_x, start_y});
  std::ostringstream line;
  line << "DrawWindRose " << FieldName(field) << " " << angle_degrees << " " << start_x << ","
       << start_y;
  Record(line.str());
}

std::string MemoryWindow::Text(Field field) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return {};
  return fields_[static_cast<std::size_t>(field)].text;
}

ImageHandle MemoryWindow::Picture(Field field) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return kNoImage;
  return fields_[static_cast<std::size_t>(field)].picture;
}

std::string MemoryWindow::Tooltip(Field field) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return {};
  return fields_[static_cast<std::size_t>(field)].tooltip;
}

bool MemoryWindow::Visible(Field field) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(field) >= kFieldCount) return false;
  return LookAt(fields_[static_cast<std::size_t>(field)], clock_.SteadyNow()).visible;
}

std::vector<std::string> MemoryWindow::Rows(Field list) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(list) >= kFieldCount) return {};
  return fields_[static_cast<std::size_t>(list)].rows;
}

std::vector<MemoryWindow::TreeItem> MemoryWindow::TreeItems(Field tree) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(tree) >= kFieldCount) return {};
  return fields_[static_cast<std::size_t>(tree)].tree;
}

std::vector<std::string> MemoryWindow::Lines(Field list) const {
  std::lock_guard lock(mutex_);
  if (static_cast<std::size_t>(list) >= kFieldCount) return {};
  return fields_[static_cast<std::size_t>(list)].lines;
}

int MemoryWindow::SelectedPage() const {
  std::lock_guard lock(mutex_);
  return page_;
}

bool MemoryWindow::WindowShown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

int MemoryWindow::Activations() const {
  std::lock_guard lock(mutex_);
  return activations_;
}

std::string MemoryWindow::TrayTooltip() const {
  std::lock_guard lock(mutex_);
  return tray_tooltip_;
}

std::vector<MemoryWindow::Balloon> MemoryWindow::Balloons() const {
  std::lock_guard lock(mutex_);
  return {balloons_.begin(), balloons_.end()};
}

std::vector<MemoryWindow::WindRoseDrawing> MemoryWindow::WindRoseDrawings() const {
  std::lock_guard lock(mutex_);
  return {roses_.begin(), roses_.end()};
}

std::vector<std::string> MemoryWindow::Log() const {
  std::lock_guard lock(mutex_);
  return {log_.begin(), log_.end()};
}

void MemoryWindow::ClearLog() {
  std::lock_guard lock(mutex_);
  log_.clear();
}

void MemoryWindow::KeepCallLog(bool keep) {
  std::lock_guard lock(mutex_);
  keep_log_ = keep;
  if (!keep) log_.clear();
}

void MemoryWindow::SetPressed(Field button, bool pressed) {
  std::lock_guard lock(mutex_);
  if (!Is(button, {FieldKind::kToggleButton})) return;
  fields_[static_cast<std::size_t>(button)].pressed = pressed;
}

std::string MemoryWindow::Dump() const {
  std::lock_guard lock(mutex_);
  std::ostringstream out;
  out << "window " << (shown_ ? "shown" : "hidden") << ", page " << page_ << "\n";
  if (!tray_tooltip_.empty()) out << "tray tooltip\t" << OneLine(tray_tooltip_) << "\n";
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldState& f = fields_[i];
    const Field id = static_cast<Field>(i);
    const bool visible = LookAt(f, clock_.SteadyNow()).visible;
    const bool shows_something = !f.text.empty() || f.picture != kNoImage || !visible ||
                                 !f.rows.empty() || !f.tree.empty() || !f.lines.empty() ||
                                 !f.tooltip.empty();
    if (!shows_something) continue;
    out << FieldName(id);
    if (!visible) out << "\thidden";
    if (f.blinking) out << "\tblinking";
    if (!f.text.empty()) out << "\t\"" << OneLine(f.text) << "\"";
    if (f.picture != kNoImage) out << "\tpicture " << f.picture;
    if (!f.tooltip.empty()) out << "\ttooltip \"" << OneLine(f.tooltip) << "\"";
    for (const std::string& row : f.rows) out << "\n  row\t" << OneLine(row);
    for (const TreeItem& item : f.tree) {
      out << "\n  " << std::string(static_cast<std::size_t>(item.level) * 2, ' ') << "item\t"
          << OneLine(item.text);
    }
    for (const std::string& line : f.lines) out << "\n  line\t" << OneLine(line);
    out << "\n";
  }
  return out.str();
}

}  // namespace tv
