#pragma once

#include <span>
#include <string>
#include <string_view>

#include "gadget/window/field.h"

namespace tv {

enum class FieldKind {
  kWindow,        // the gadget window itself
  kArea,          // borderless container; its fields are placed relative to it
  kTabPanel,      // DetailTabs
  kPage,          // one page of DetailTabs; text is the tab text, picture the tab icon
  kFrame,         // group box; text is its caption
  kText,          // static text; text is its placeholder
  kPicture,       // static picture; picture is what it shows at creation
  kColumnList,    // report list with a header row
  kTree,          // tree with lines and expand buttons
  kLineList,      // plain list of text lines
  kToggleButton,  // push-like on/off button showing a picture
};

enum class Align { kLeft, kCentre, kRight };

enum class FontFace { kNone, kComicSansMs, kTahoma, kVerdana, kArialNarrow };

struct FontSpec {
  FontFace face = FontFace::kNone;
  int points = 0;
  bool bold = false;

  friend constexpr bool operator==(const FontSpec&, const FontSpec&) = default;
};

inline constexpr FontSpec kNoFont{};

enum class TooltipKind {
  kNone,
  kBalloon,  // one balloon per field, at most 180 px wide, only while the window is active
  kPlain,    // the shared standard tooltip, shown even while the window is inactive
};

struct ListColumn {
  std::string_view title;
  int width = 0;
  // Sized to its header text; the last such column of a list takes the rest of the width.
  bool auto_size = false;
};

struct FieldEntry {
  Field id;
  FieldKind kind;
  Field parent;    // the area, page or tab panel holding it (the window for top-level entries)
  int x, y, w, h;  // relative to the parent
  std::string_view text;     // placeholder, frame caption, tab text or window title
  std::string_view picture;  // carried picture shown at creation, or the tab icon
  std::span<const ListColumn> columns;
  bool full_row_select;
  FontSpec font;
  Align align;
  TooltipKind tooltip_kind;
  std::string_view tooltip;
};

// Every entry in creation order; entry i describes Field(i).
std::span<const FieldEntry> FieldCatalogue();

const FieldEntry& CatalogueEntry(Field field);

// The pages of DetailTabs in tab order.
std::span<const Field> DetailPages();

std::string_view FieldKindName(FieldKind kind);
std::string_view FontFaceName(FontFace face);
// "Comic Sans MS 20 bold", "Verdana 8"; empty for no font.
std::string FontText(const FontSpec& font);

// One tab-separated line: name, kind, parent, x, y, w, h, initial content,
// font, alignment, tooltip kind, tooltip text.
std::string CatalogueLine(const FieldEntry& entry);

}  // namespace tv
