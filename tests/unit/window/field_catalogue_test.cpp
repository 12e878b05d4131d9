#include "gadget/window/field_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tv {
namespace {

bool ShowsText(FieldKind kind) {
  return kind == FieldKind::kText || kind == FieldKind::kFrame || kind == FieldKind::kColumnList ||
         kind == FieldKind::kTree || kind == FieldKind::kLineList || kind == FieldKind::kTabPanel;
}

TEST(FieldCatalogue, TenPagesInTabOrderWithTextsAndIcons) {
  struct Row {
    Field page;
    const char* text;
    const char* icon;
  };
  const Row rows[] = {
      {Field::RainTab, "Pluviométrie", "water-drop-16"},
      {Field::WindTab, "Anémométrie", "windsock-16"},
      {Field::TempTab, "Températures", "thermometer-16"},
      {Field::SolarTab, "Solaire", "sun-16"},
      {Field::HumTab, "Hygrométrie", "cloud-16"},
      {Field::LeafSoilTab, "Foliaire / Humus", "plant-16"},
      {Field::AlertTab, "Alertes", "bell-16"},
      {Field::StationTab, "Infos station", "chip-16"},
      {Field::SettingsTab, "Réglages", "pen-16"},
      {Field::ActivityTab, "Activité", "log-sheet-16"},
  };
  std::vector<Field> pages_in_catalogue;
  for (const FieldEntry& e : FieldCatalogue()) {
    if (e.kind == FieldKind::kPage) pages_in_catalogue.push_back(e.id);
  }
  ASSERT_EQ(pages_in_catalogue.size(), std::size(rows));
  ASSERT_EQ(DetailPages().size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(FieldName(rows[i].page));
    EXPECT_EQ(pages_in_catalogue[i], rows[i].page) << "creation order";
    EXPECT_EQ(DetailPages()[i], rows[i].page) << "tab index";
    const FieldEntry& e = CatalogueEntry(rows[i].page);
    EXPECT_EQ(e.text, rows[i].text);
    EXPECT_EQ(e.picture, rows[i].icon);
    EXPECT_EQ(e.parent, Field::DetailTabs);
  }
}

TEST(FieldCatalogue, AreasAndTabPanelInCreationOrderWithTheirPlaces) {
  struct Row {
    Field area;
    int x, y, w, h;
  };
  const Row rows[] = {
      {Field::IndoorArea, 235, 6, 290, 70},     {Field::OutdoorArea, 231, 77, 292, 70},
      {Field::BaroArea, 0, 222, 525, 75},       {Field::WindArea, 525, 5, 285, 290},
      {Field::DetailTabs, 0, 300, 815, 259},    {Field::TrendArea, 5, 5, 226, 155},
      {Field::ForecastArea, 231, 145, 290, 70}, {Field::StatusArea, 5, 158, 227, 65},
  };
  std::vector<Field> top;
  for (const FieldEntry& e : FieldCatalogue()) {
    if (e.kind != FieldKind::kWindow && e.parent == Field::GadgetWindow) top.push_back(e.id);
  }
  ASSERT_EQ(top.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(FieldName(rows[i].area));
    EXPECT_EQ(top[i], rows[i].area);
    const FieldEntry& e = CatalogueEntry(rows[i].area);
    EXPECT_EQ(e.x, rows[i].x);
    EXPECT_EQ(e.y, rows[i].y);
    EXPECT_EQ(e.w, rows[i].w);
    EXPECT_EQ(e.h, rows[i].h);
  }
  const FieldEntry& window = CatalogueEntry(Field::GadgetWindow);
  EXPECT_EQ(window.w, 813);
  EXPECT_EQ(window.h, 559);
  EXPECT_EQ(window.text, "Teskaro Ventaro");
}

TEST(FieldCatalogue, ColumnListsHaveTheirColumns) {
  struct Row {
    Field list;
    std::vector<std::tuple<std::string, int, bool>> columns;
    bool full_row;
  };
  const Row rows[] = {
      {Field::ActiveAlertList,
       {{"Date", 130, false}, {"Intitulé", 190, false}, {"Donnée", 100, true}},
       true},
      {Field::AlarmThresholdList, {{"Intitulé", 180, false}, {"Seuil d'alerte", 100, true}}, false},
      {Field::TransmitterList,
       {{"ID", 25, false}, {"Type", 200, false}, {"Transmission sur ID station", 100, true}},
       true},
      {Field::ServiceList,
       {{"Service", 70, false},
        {"Dernière collecte", 100, true},
        {"Prochaine collecte", 100, true}},
       true},
  };
  int lists = 0;
  for (const FieldEntry& e : FieldCatalogue()) lists += e.kind == FieldKind::kColumnList;
  EXPECT_EQ(lists, 4);
  for (const Row& row : rows) {
    SCOPED_TRACE(FieldName(row.list));
    const FieldEntry& e = CatalogueEntry(row.list);
    ASSERT_EQ(e.kind, FieldKind::kColumnList);
    ASSERT_EQ(e.columns.size(), row.columns.size());
    for (std::size_t i = 0; i < e.columns.size(); ++i) {
      EXPECT_EQ(e.columns[i].title, std::get<0>(row.columns[i]));
      EXPECT_EQ(e.columns[i].width, std::get<1>(row.columns[i]));
      EXPECT_EQ(e.columns[i].auto_size, std::get<2>(row.columns[i]));
    }
    EXPECT_EQ(e.full_row_select, row.full_row);
  }
}

TEST(FieldCatalogue, FontsInUseAreExactlyTheTenLayoutFonts) {
  const std::set<std::string> expected = {
      "Comic Sans MS 8",       "Comic Sans MS 9",       "Comic Sans MS 10 bold",
      "Comic Sans MS 14 bold", "Comic Sans MS 20 bold", "Tahoma 8",
      "Tahoma 7 bold",         "Tahoma 8 bold",         "Verdana 8",
      "Arial Narrow 8"};
  std::set<std::string> used;
  int text_bearing = 0;
  for (const FieldEntry& e : FieldCatalogue()) {
    SCOPED_TRACE(FieldName(e.id));
    if (ShowsText(e.kind)) {
      ++text_bearing;
      EXPECT_NE(e.font.face, FontFace::kNone) << "a field showing text needs a font";
      used.insert(FontText(e.font));
    } else {
      EXPECT_EQ(e.font, kNoFont);
    }
    if (e.kind == FieldKind::kFrame) {
      EXPECT_EQ(FontText(e.font), "Verdana 8");
    }
  }
  EXPECT_EQ(used, expected);
  EXPECT_EQ(text_bearing, 316);
  for (Field narrow :
       {Field::DetailTabs, Field::ServiceList, Field::TransmitterList, Field::AppLogList}) {
    EXPECT_EQ(FontText(CatalogueEntry(narrow).font), "Arial Narrow 8") << FieldName(narrow);
  }
}

TEST(FieldCatalogue, TooltipTextsAreExact) {
  struct Row {
    Field field;
    TooltipKind kind;
    const char* text;
  };
  constexpr auto B = TooltipKind::kBalloon;
  constexpr auto P = TooltipKind::kPlain;
  const Row rows[] = {
      {Field::IndoorHumIcon, B, "Humidité Intérieure"},
      {Field::IndoorTempValue, B, "Température intérieure"},
      {Field::IndoorHumValue, B, "Humidit intérieure"},
      {Field::BaroTrendIcon, B, "N/A"},
      {Field::WindDirName, P, "Direction du vent"},
      {Field::BeaufortIcon, B, "Indice de force sur l'échelle de beaufort"},
      {Field::WindSpeedIcon, B, "Vitesse du vent"},
      {Field::WindSpeedValue, B, "Vitesse du vent"},
      {Field::WindDirDegrees, B, "Direction du vent"},
      {Field::WindSpeedMsValue, B, "Vitesse du vent en mêtres par seconde"},
      {Field::BeaufortValue, B, "Indice de force sur l'échelle de beaufort"},
      {Field::TrendAreaFrame, P, "Tendance météoroligique"},
      {Field::TrendHorizonFrame, P, "Tendance météoroligique"},
      {Field::ForecastText, B, "Prévision météo"},
      {Field::IndexValue, B, "Indice global"},
      {Field::RainDayLabel, B, "Précipitation total du jour"},
      {Field::RainRateLabel, B, "Précipitation en moyenne par heure"},
      {Field::RainLastHourLabel, B, "Précipitation de l'heure passé"},
      {Field::RainLast24hLabel, B, "Précipitation des 24 heures passées"},
      {Field::BeaufortDesc, B, "Description des données sur l'échelle de Beaufort"},
      {Field::SolarRadIcon, B, "Radiation solaire"},
      {Field::SolarRadValue, B, "Radiation solaire"},
      {Field::UvValue, B, "Quantité UV"},
      {Field::AlertMuteButton, P, "Arreter les notifications d'alerte"},
      {Field::WindDirCorrValue, B, "Direction du vent"},
      {Field::InTempCorrLabel, B, "Correction de la température"},
      {Field::OutTempCorrLabel, B, "Correction de la température"},
      {Field::InHumCorrLabel, B, "Correction de l'humidité"},
      {Field::OutHumCorrLabel, B, "Correction de l'humidité"},
      {Field::WindDirCorrLabel, B, "Correction de la direction du vent"},
      {Field::LinkStateText, B, "Etat de la connexion"},
      {Field::AppLogList, B, "Journal de l'application"},
      {Field::EngineStateText, B, "Etat de la récupération des services"},
  };
  std::set<Field> with_tooltip;
  for (const Row& row : rows) {
    SCOPED_TRACE(FieldName(row.field));
    const FieldEntry& e = CatalogueEntry(row.field);
    EXPECT_EQ(e.tooltip_kind, row.kind);
    EXPECT_EQ(e.tooltip, row.text);
    with_tooltip.insert(row.field);
  }
  for (const FieldEntry& e : FieldCatalogue()) {
    if (with_tooltip.count(e.id) != 0) continue;
    EXPECT_EQ(e.tooltip_kind, TooltipKind::kNone) << FieldName(e.id);
    EXPECT_TRUE(e.tooltip.empty()) << FieldName(e.id);
  }
}

TEST(FieldCatalogue, EveryFieldSitsInAContainerCreatedBeforeIt) {
  std::set<Field> seen;
  for (const FieldEntry& e : FieldCatalogue()) {
    SCOPED_TRACE(FieldName(e.id));
    if (e.kind != FieldKind::kWindow) {
      EXPECT_EQ(seen.count(e.parent), 1u) << "parent created first";
      const FieldKind parent = CatalogueEntry(e.parent).kind;
      EXPECT_TRUE(parent == FieldKind::kWindow || parent == FieldKind::kArea ||
                  parent == FieldKind::kPage || parent == FieldKind::kTabPanel);
      EXPECT_EQ(parent == FieldKind::kTabPanel, e.kind == FieldKind::kPage);
    }
    if (e.kind == FieldKind::kPicture && e.id != Field::BaroTrendIcon) {
      EXPECT_FALSE(e.picture.empty()) << "pictures of the layout show something at creation";
    }
    seen.insert(e.id);
  }
  EXPECT_TRUE(CatalogueEntry(Field::BaroTrendIcon).picture.empty());
}

TEST(FieldCatalogue, NamesRoundTrip) {
  for (const FieldEntry& e : FieldCatalogue()) {
    ASSERT_FALSE(FieldName(e.id).empty());
    EXPECT_EQ(FieldFromName(FieldName(e.id)), e.id);
  }
  EXPECT_EQ(FieldName(Field::IndoorTempValue), "IndoorTempValue");
  EXPECT_EQ(FieldFromName("indoortempvalue"), std::nullopt) << "names are case-sensitive";
  EXPECT_EQ(FieldFromName(""), std::nullopt);
}

TEST(FieldCatalogue, PrintedLines) {
  struct Row {
    Field field;
    const char* line;
  };
  const Row rows[] = {
      {Field::IndoorTempValue,
       "IndoorTempValue\ttext\tIndoorArea\t50\t21\t75\t35\t\"-88,8\"\tComic Sans MS 20 "
       "bold\tright\tballoon\tTempérature intérieure"},
      {Field::ForecastFrame,
       "ForecastFrame\tframe\tForecastArea\t5\t-2\t282\t72\t\"Prévisions\"\tVerdana 8\t\tnone\t"},
      {Field::AlarmThresholdList,
       "AlarmThresholdList\tcolumn list\tAlertTab\t7\t17\t270\t205\tcolumns \"Intitulé\" 180, "
       "\"Seuil d'alerte\" 100 auto\tComic Sans MS 8\t\tnone\t"},
      {Field::WindRose,
       "WindRose\tpicture\tWindArea\t60\t27\t200\t200\tpicture compass-rose-200\t\t\tnone\t"},
      {Field::SettingsTab,
       "SettingsTab\tpage\tDetailTabs\t0\t0\t0\t0\ttab \"Réglages\" icon pen-16\t\t\tnone\t"},
  };
  for (const Row& row : rows) EXPECT_EQ(CatalogueLine(CatalogueEntry(row.field)), row.line);
  for (const FieldEntry& e : FieldCatalogue()) {
    const std::string line = CatalogueLine(e);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 11) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace tv
