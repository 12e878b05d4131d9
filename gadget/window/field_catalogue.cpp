#include "gadget/window/field_catalogue.h"

#include <array>

namespace tv {
namespace {

constexpr std::span<const ListColumn> kNoColumns{};

constexpr ListColumn kActiveAlertListColumns[] = {
    {"Date", 130, false}, {"Intitulé", 190, false}, {"Donnée", 100, true}};
constexpr ListColumn kAlarmThresholdListColumns[] = {{"Intitulé", 180, false},
                                                     {"Seuil d'alerte", 100, true}};
constexpr ListColumn kTransmitterListColumns[] = {
    {"ID", 25, false}, {"Type", 200, false}, {"Transmission sur ID station", 100, true}};
constexpr ListColumn kServiceListColumns[] = {
    {"Service", 70, false}, {"Dernière collecte", 100, true}, {"Prochaine collecte", 100, true}};

// clang-format off
constexpr FieldEntry kCatalogue[] = {
    {Field::GadgetWindow, FieldKind::kWindow, Field::GadgetWindow, 242, 395, 813, 559, "Teskaro Ventaro", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndoorArea, FieldKind::kArea, Field::GadgetWindow, 235, 6, 290, 70, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndoorTempIcon, FieldKind::kPicture, Field::IndoorArea, 15, 24, 32, 32, "", "thermometer-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndoorHumIcon, FieldKind::kPicture, Field::IndoorArea, 160, 26, 32, 32, "", "water-drops-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kBalloon, "Humidité Intérieure"},
    {Field::IndoorHumUnit, FieldKind::kText, Field::IndoorArea, 241, 38, 20, 20, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::IndoorFrame, FieldKind::kFrame, Field::IndoorArea, 1, 0, 282, 68, "Données Intérieure", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndoorTempValue, FieldKind::kText, Field::IndoorArea, 50, 21, 75, 35, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kBalloon, "Température intérieure"},
    {Field::IndoorTempUnit, FieldKind::kText, Field::IndoorArea, 127, 38, 25, 20, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndoorHumValue, FieldKind::kText, Field::IndoorArea, 192, 23, 50, 35, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kBalloon, "Humidit intérieure"},
    {Field::OutdoorArea, FieldKind::kArea, Field::GadgetWindow, 231, 77, 292, 70, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutdoorHumIcon, FieldKind::kPicture, Field::OutdoorArea, 164, 23, 32, 32, "", "water-drops-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutdoorTempIcon, FieldKind::kPicture, Field::OutdoorArea, 15, 22, 32, 32, "", "thermometer-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutdoorHumUnit, FieldKind::kText, Field::OutdoorArea, 243, 37, 25, 20, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::OutdoorFrame, FieldKind::kFrame, Field::OutdoorArea, 5, 0, 282, 65, "Données Extérieure", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutdoorTempValue, FieldKind::kText, Field::OutdoorArea, 50, 20, 75, 35, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::OutdoorHumValue, FieldKind::kText, Field::OutdoorArea, 197, 21, 50, 35, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::OutdoorTempUnit, FieldKind::kText, Field::OutdoorArea, 125, 35, 25, 20, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BaroArea, FieldKind::kArea, Field::GadgetWindow, 0, 222, 525, 75, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BaroTrendIcon, FieldKind::kPicture, Field::BaroArea, 171, 19, 24, 24, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kBalloon, "N/A"},
    {Field::FeelsLikeIcon, FieldKind::kPicture, Field::BaroArea, 232, 25, 32, 32, "", "face-thermometer-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::DewPointIcon, FieldKind::kPicture, Field::BaroArea, 378, 25, 32, 32, "", "rainbow-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BaroIcon, FieldKind::kPicture, Field::BaroArea, 20, 25, 32, 32, "", "bar-chart-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BaroValue, FieldKind::kText, Field::BaroArea, 55, 25, 110, 35, "8888,88", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::BaroFrame, FieldKind::kFrame, Field::BaroArea, 4, 0, 513, 73, "Pression Atmosphérique / Température ressenti / Point de rosé", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BaroUnit, FieldKind::kText, Field::BaroArea, 170, 40, 25, 20, "Hpa", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FeelsLikeValue, FieldKind::kText, Field::BaroArea, 265, 25, 75, 35, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::FeelsLikeUnit, FieldKind::kText, Field::BaroArea, 340, 40, 25, 20, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::DewPointValue, FieldKind::kText, Field::BaroArea, 410, 25, 75, 35, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::DewPointUnit, FieldKind::kText, Field::BaroArea, 485, 40, 25, 20, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindArea, FieldKind::kArea, Field::GadgetWindow, 525, 5, 285, 290, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindDirName, FieldKind::kText, Field::WindArea, 132, 17, 135, 14, "", "", kNoColumns, false, {FontFace::kTahoma, 7, true}, Align::kRight, TooltipKind::kPlain, "Direction du vent"},
    {Field::BeaufortIcon, FieldKind::kPicture, Field::WindArea, 19, 136, 24, 24, "", "colour-table-24", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kBalloon, "Indice de force sur l'échelle de beaufort"},
    {Field::WindRose, FieldKind::kPicture, Field::WindArea, 60, 27, 200, 200, "", "compass-rose-200", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindSpeedIcon, FieldKind::kPicture, Field::WindArea, 10, 225, 48, 48, "", "dial-gauge-48", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kBalloon, "Vitesse du vent"},
    {Field::WindsockIcon, FieldKind::kPicture, Field::WindArea, 10, 20, 64, 64, "", "windsock-64", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAreaFrame, FieldKind::kFrame, Field::WindArea, 0, 2, 275, 287, "Force et direction du vent", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindSpeedValue, FieldKind::kText, Field::WindArea, 60, 235, 75, 35, "888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kBalloon, "Vitesse du vent"},
    {Field::WindSpeedUnit, FieldKind::kText, Field::WindArea, 135, 250, 40, 20, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::WindDirDegrees, FieldKind::kText, Field::WindArea, 15, 90, 40, 20, "888°", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kBalloon, "Direction du vent"},
    {Field::WindSpeedMsUnit, FieldKind::kText, Field::WindArea, 237, 253, 25, 20, "m/s", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::WindSpeedMsValue, FieldKind::kText, Field::WindArea, 178, 244, 60, 25, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kBalloon, "Vitesse du vent en mêtres par seconde"},
    {Field::BeaufortValue, FieldKind::kText, Field::WindArea, 36, 161, 25, 20, "88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kBalloon, "Indice de force sur l'échelle de beaufort"},
    {Field::BeaufortLabel, FieldKind::kText, Field::WindArea, 9, 164, 29, 15, "Force", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::DetailTabs, FieldKind::kTabPanel, Field::GadgetWindow, 0, 300, 815, 259, "", "", kNoColumns, false, {FontFace::kArialNarrow, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Pluviométrie", "water-drop-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainTabImage, FieldKind::kPicture, Field::RainTab, 375, 45, 128, 128, "", "rain-gauge-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainTodayFrame, FieldKind::kFrame, Field::RainTab, 0, 5, 160, 215, "Aujourdh'ui", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeriodFrame, FieldKind::kFrame, Field::RainTab, 165, 6, 165, 110, "Total périodique", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainDayValue, FieldKind::kText, Field::RainTab, 97, 38, 35, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainDayUnit, FieldKind::kText, Field::RainTab, 134, 41, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainMonthValue, FieldKind::kText, Field::RainTab, 253, 30, 49, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainMonthUnit, FieldKind::kText, Field::RainTab, 306, 33, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainRateValue, FieldKind::kText, Field::RainTab, 82, 74, 35, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainRateUnit, FieldKind::kText, Field::RainTab, 119, 77, 35, 15, "mm/hr", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainStormValue, FieldKind::kText, Field::RainTab, 262, 55, 40, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainStormUnit, FieldKind::kText, Field::RainTab, 306, 58, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainYearValue, FieldKind::kText, Field::RainTab, 247, 86, 55, 18, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainYearUnit, FieldKind::kText, Field::RainTab, 305, 89, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainDayLabel, FieldKind::kText, Field::RainTab, 10, 40, 75, 15, "Total du jour :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Précipitation total du jour"},
    {Field::RainRateLabel, FieldKind::kText, Field::RainTab, 11, 63, 70, 35, "Moyenne de précipitation :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Précipitation en moyenne par heure"},
    {Field::RainLastHourLabel, FieldKind::kText, Field::RainTab, 10, 102, 85, 15, "Dernièrre heure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Précipitation de l'heure passé"},
    {Field::RainLastHourValue, FieldKind::kText, Field::RainTab, 94, 102, 35, 18, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainLastHourUnit, FieldKind::kText, Field::RainTab, 128, 105, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainLast24hLabel, FieldKind::kText, Field::RainTab, 10, 127, 69, 26, "Dernièrre 24 heures :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Précipitation des 24 heures passées"},
    {Field::RainLast24hUnit, FieldKind::kText, Field::RainTab, 127, 142, 19, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainMonthLabel, FieldKind::kText, Field::RainTab, 172, 33, 50, 15, "Mensuel :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakFrame, FieldKind::kFrame, Field::RainTab, 545, 8, 255, 140, "Pics de précipitation pluviometriques", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakMonthLabel, FieldKind::kText, Field::RainTab, 560, 75, 95, 15, "Ce mois :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakDayLabel, FieldKind::kText, Field::RainTab, 560, 35, 68, 15, "Aujourdh'ui à", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakYearLabel, FieldKind::kText, Field::RainTab, 560, 115, 85, 15, "Cette année :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainLast24hValue, FieldKind::kText, Field::RainTab, 93, 139, 35, 18, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainStormLabel, FieldKind::kText, Field::RainTab, 172, 58, 90, 15, "Saison des pluies :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainYearLabel, FieldKind::kText, Field::RainTab, 172, 88, 45, 15, "Annuel :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakDayTime, FieldKind::kText, Field::RainTab, 626, 31, 43, 20, "88h88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainPeakDayColon, FieldKind::kText, Field::RainTab, 672, 33, 5, 15, ":", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakYearValue, FieldKind::kText, Field::RainTab, 675, 108, 80, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainPeakYearUnit, FieldKind::kText, Field::RainTab, 758, 116, 35, 15, "mm/hr", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakMonthValue, FieldKind::kText, Field::RainTab, 682, 65, 75, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainPeakMonthUnit, FieldKind::kText, Field::RainTab, 760, 75, 35, 15, "mm/hr", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainPeakDayValue, FieldKind::kText, Field::RainTab, 680, 25, 77, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RainPeakDayUnit, FieldKind::kText, Field::RainTab, 760, 33, 35, 15, "mm/hr", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Anémométrie", "windsock-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::BeaufortDesc, FieldKind::kText, Field::WindTab, 7, 19, 184, 43, "N/A", "", kNoColumns, false, {FontFace::kTahoma, 8, true}, Align::kCentre, TooltipKind::kBalloon, "Description des données sur l'échelle de Beaufort"},
    {Field::WindTabImage, FieldKind::kPicture, Field::WindTab, 305, 15, 128, 128, "", "windsock-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAvgFrame, FieldKind::kFrame, Field::WindTab, 4, 70, 190, 95, "Moyenne de vitesse", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAvg2Label, FieldKind::kText, Field::WindTab, 15, 110, 75, 15, "Sur 2 minutes :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAvg2Value, FieldKind::kText, Field::WindTab, 110, 107, 45, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindAvg2Unit, FieldKind::kText, Field::WindTab, 157, 110, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAvg10Label, FieldKind::kText, Field::WindTab, 15, 140, 80, 15, "Sur 10 minutes :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindAvg10Value, FieldKind::kText, Field::WindTab, 105, 138, 50, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindAvg10Unit, FieldKind::kText, Field::WindTab, 157, 141, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindGustFrame, FieldKind::kFrame, Field::WindTab, 5, 172, 190, 55, "Raffale de vent", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindGust10Label, FieldKind::kText, Field::WindTab, 15, 195, 80, 15, "Sur 10 minutes:", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindGust10Value, FieldKind::kText, Field::WindTab, 110, 193, 45, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindGust10Unit, FieldKind::kText, Field::WindTab, 157, 195, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakFrame, FieldKind::kFrame, Field::WindTab, 540, 3, 262, 150, "Pic anémométrique", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakDayTime, FieldKind::kText, Field::WindTab, 621, 32, 40, 20, "88h88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindPeakDayColon, FieldKind::kText, Field::WindTab, 665, 34, 5, 15, ":", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakDayValue, FieldKind::kText, Field::WindTab, 672, 25, 65, 23, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindPeakDayUnit, FieldKind::kText, Field::WindTab, 740, 34, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakDayLabel, FieldKind::kText, Field::WindTab, 555, 35, 65, 15, "Aujourdh'ui à", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakMonthLabel, FieldKind::kText, Field::WindTab, 554, 72, 45, 15, "Ce mois :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakMonthValue, FieldKind::kText, Field::WindTab, 677, 65, 60, 23, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindPeakMonthUnit, FieldKind::kText, Field::WindTab, 740, 75, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakYearLabel, FieldKind::kText, Field::WindTab, 553, 117, 75, 15, "Cette année :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindPeakYearValue, FieldKind::kText, Field::WindTab, 676, 110, 60, 23, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::WindPeakYearUnit, FieldKind::kText, Field::WindTab, 741, 119, 30, 15, "Km/h", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindActivityFrame, FieldKind::kFrame, Field::WindTab, 4, 1, 190, 66, "Activité du vent", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LandEffectFrame, FieldKind::kFrame, Field::WindTab, 199, 153, 305, 76, "Effet du vent sur la terre", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SeaEffectFrame, FieldKind::kFrame, Field::WindTab, 508, 153, 294, 76, "Effet du vent sur la mer", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LandEffectText, FieldKind::kText, Field::WindTab, 206, 172, 290, 49, "N/A", "", kNoColumns, false, {FontFace::kTahoma, 7, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::SeaEffectText, FieldKind::kText, Field::WindTab, 512, 172, 285, 49, "N/A", "", kNoColumns, false, {FontFace::kTahoma, 7, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::TempTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Températures", "thermometer-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TempTabIcon, FieldKind::kPicture, Field::TempTab, 214, 31, 32, 32, "", "colour-scale-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TempPeakTree, FieldKind::kTree, Field::TempTab, 419, 19, 377, 199, "", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TempTabImage, FieldKind::kPicture, Field::TempTab, 220, 90, 128, 128, "", "thermometer-sun-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempFrame, FieldKind::kFrame, Field::TempTab, 1, 0, 150, 225, "Capteurs auxiliaires", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel2, FieldKind::kText, Field::TempTab, 14, 47, 60, 15, "Capteur 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempValue2, FieldKind::kText, Field::TempTab, 88, 43, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit2, FieldKind::kText, Field::TempTab, 130, 47, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel3, FieldKind::kText, Field::TempTab, 13, 79, 60, 15, "Capteur 3 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel4, FieldKind::kText, Field::TempTab, 13, 110, 60, 15, "Capteur 4 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel5, FieldKind::kText, Field::TempTab, 13, 141, 60, 15, "Capteur 5 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel6, FieldKind::kText, Field::TempTab, 12, 170, 60, 15, "Capteur 6 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel7, FieldKind::kText, Field::TempTab, 12, 199, 60, 15, "Capteur 7 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempValue3, FieldKind::kText, Field::TempTab, 88, 76, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempValue4, FieldKind::kText, Field::TempTab, 88, 107, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempValue5, FieldKind::kText, Field::TempTab, 88, 138, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempValue6, FieldKind::kText, Field::TempTab, 88, 169, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempValue7, FieldKind::kText, Field::TempTab, 88, 197, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit3, FieldKind::kText, Field::TempTab, 129, 80, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit4, FieldKind::kText, Field::TempTab, 130, 111, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit5, FieldKind::kText, Field::TempTab, 130, 142, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit6, FieldKind::kText, Field::TempTab, 130, 172, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit7, FieldKind::kText, Field::TempTab, 130, 200, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempLabel1, FieldKind::kText, Field::TempTab, 14, 20, 60, 15, "Capteur 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraTempValue1, FieldKind::kText, Field::TempTab, 88, 16, 40, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraTempUnit1, FieldKind::kText, Field::TempTab, 130, 21, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TempPeakFrame, FieldKind::kFrame, Field::TempTab, 415, 1, 386, 223, "Pic de températures", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HeatIndexFrame, FieldKind::kFrame, Field::TempTab, 202, 1, 160, 75, "Indice de Chaleur", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HeatIndexValue, FieldKind::kText, Field::TempTab, 251, 28, 75, 35, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::HeatIndexUnit, FieldKind::kText, Field::TempTab, 328, 45, 25, 20, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Solaire", "sun-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvIndexValue, FieldKind::kText, Field::SolarTab, 655, 170, 33, 35, "88", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvIndexIcon, FieldKind::kPicture, Field::SolarTab, 616, 171, 32, 32, "", "smiling-sun-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarTabIcon, FieldKind::kPicture, Field::SolarTab, 345, 15, 48, 48, "", "sun-48", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvIcon, FieldKind::kPicture, Field::SolarTab, 25, 90, 32, 32, "", "dark-disc-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarRadIcon, FieldKind::kPicture, Field::SolarTab, 25, 30, 32, 32, "", "small-sun-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kBalloon, "Radiation solaire"},
    {Field::SunFrame, FieldKind::kFrame, Field::SolarTab, 5, 140, 210, 87, "Levé / Couché", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SunriseLabel, FieldKind::kText, Field::SolarTab, 25, 165, 35, 15, "Levé :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SunsetLabel, FieldKind::kText, Field::SolarTab, 10, 190, 45, 15, "Couché :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SunriseValue, FieldKind::kText, Field::SolarTab, 65, 160, 140, 20, "88/88/8888 - 88:88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SunsetValue, FieldKind::kText, Field::SolarTab, 65, 185, 140, 20, "88/88/8888 - 88:88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::UvPeakFrame, FieldKind::kFrame, Field::SolarTab, 535, 3, 264, 139, "Pic Ultra-Violet", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakFrame, FieldKind::kFrame, Field::SolarTab, 235, 87, 277, 139, "Pic de rayonnement solaire", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakDayLabel, FieldKind::kText, Field::SolarTab, 248, 114, 65, 15, "Aujourhd'ui à", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarNowFrame, FieldKind::kFrame, Field::SolarTab, 5, 2, 209, 138, "Rayonnement / UV actuel", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarRadValue, FieldKind::kText, Field::SolarTab, 60, 30, 95, 35, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kBalloon, "Radiation solaire"},
    {Field::UvValue, FieldKind::kText, Field::SolarTab, 60, 86, 95, 35, "888,88", "", kNoColumns, false, {FontFace::kComicSansMs, 20, true}, Align::kRight, TooltipKind::kBalloon, "Quantité UV"},
    {Field::SolarRadUnit, FieldKind::kText, Field::SolarTab, 161, 43, 40, 20, "W/m²", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakDayLabel, FieldKind::kText, Field::SolarTab, 550, 33, 65, 15, "Aujourdh'ui à", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakMonthLabel, FieldKind::kText, Field::SolarTab, 550, 75, 45, 15, "Ce mois :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvUnit, FieldKind::kText, Field::SolarTab, 161, 102, 30, 20, "Med", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakDayTime, FieldKind::kText, Field::SolarTab, 617, 30, 43, 20, "88h88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::UvPeakDayColon, FieldKind::kText, Field::SolarTab, 664, 33, 5, 15, ":", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakDayTime, FieldKind::kText, Field::SolarTab, 314, 110, 43, 20, "88h88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SolarPeakDayColon, FieldKind::kText, Field::SolarTab, 361, 112, 5, 15, ":", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakDayUnit, FieldKind::kText, Field::SolarTab, 770, 35, 25, 15, "Med", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakDayValue, FieldKind::kText, Field::SolarTab, 695, 25, 70, 23, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::UvPeakMonthUnit, FieldKind::kText, Field::SolarTab, 770, 74, 25, 15, "Med", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakDayUnit, FieldKind::kText, Field::SolarTab, 470, 113, 35, 15, "W/m²", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakMonthUnit, FieldKind::kText, Field::SolarTab, 470, 153, 35, 15, "W/m²", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakYearUnit, FieldKind::kText, Field::SolarTab, 470, 194, 35, 15, "W/m²", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakYearLabel, FieldKind::kText, Field::SolarTab, 550, 115, 80, 15, "Cette année :", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakMonthLabel, FieldKind::kText, Field::SolarTab, 248, 150, 50, 15, "Ce mois :", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SolarPeakYearLabel, FieldKind::kText, Field::SolarTab, 247, 190, 80, 15, "Cette année :", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakYearUnit, FieldKind::kText, Field::SolarTab, 770, 115, 25, 15, "Med", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::UvPeakMonthValue, FieldKind::kText, Field::SolarTab, 695, 66, 70, 23, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::UvPeakYearValue, FieldKind::kText, Field::SolarTab, 695, 106, 70, 23, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SolarPeakDayValue, FieldKind::kText, Field::SolarTab, 395, 105, 70, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SolarPeakMonthValue, FieldKind::kText, Field::SolarTab, 395, 145, 70, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SolarPeakYearValue, FieldKind::kText, Field::SolarTab, 395, 185, 70, 23, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::UvIndexFrame, FieldKind::kFrame, Field::SolarTab, 536, 143, 263, 83, "Indice UV", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HumTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Hygrométrie", "cloud-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HumTabImage, FieldKind::kPicture, Field::HumTab, 215, 100, 128, 128, "", "fog-cloud-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumFrame, FieldKind::kFrame, Field::HumTab, 2, 1, 150, 225, "Capteurs auxiliaires", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel1, FieldKind::kText, Field::HumTab, 14, 21, 60, 15, "Capteur 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel2, FieldKind::kText, Field::HumTab, 14, 49, 60, 15, "Capteur 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel3, FieldKind::kText, Field::HumTab, 13, 79, 60, 15, "Capteur 3 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel4, FieldKind::kText, Field::HumTab, 12, 109, 60, 15, "Capteur 4 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel5, FieldKind::kText, Field::HumTab, 12, 139, 60, 15, "Capteur 5 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel6, FieldKind::kText, Field::HumTab, 12, 171, 60, 15, "Capteur 6 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumLabel7, FieldKind::kText, Field::HumTab, 11, 200, 60, 15, "Capteur 7 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit1, FieldKind::kText, Field::HumTab, 131, 21, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit2, FieldKind::kText, Field::HumTab, 130, 50, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit3, FieldKind::kText, Field::HumTab, 131, 79, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit4, FieldKind::kText, Field::HumTab, 130, 108, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit5, FieldKind::kText, Field::HumTab, 131, 138, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit6, FieldKind::kText, Field::HumTab, 131, 169, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumUnit7, FieldKind::kText, Field::HumTab, 131, 198, 10, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ExtraHumValue1, FieldKind::kText, Field::HumTab, 97, 19, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue2, FieldKind::kText, Field::HumTab, 97, 47, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue3, FieldKind::kText, Field::HumTab, 97, 77, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue4, FieldKind::kText, Field::HumTab, 97, 106, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue5, FieldKind::kText, Field::HumTab, 97, 136, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue6, FieldKind::kText, Field::HumTab, 97, 167, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ExtraHumValue7, FieldKind::kText, Field::HumTab, 97, 196, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::HumPeakFrame, FieldKind::kFrame, Field::HumTab, 413, 2, 390, 227, "Pic hygrométrique", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HumPeakTree, FieldKind::kTree, Field::HumTab, 418, 18, 381, 203, "", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtFrame, FieldKind::kFrame, Field::HumTab, 164, 2, 238, 97, "Evapotranspiration", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtDayLabel, FieldKind::kText, Field::HumTab, 179, 24, 65, 15, "Aujourdh'ui :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtMonthLabel, FieldKind::kText, Field::HumTab, 179, 49, 65, 15, "Ce mois :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtYearLabel, FieldKind::kText, Field::HumTab, 178, 76, 70, 15, "Cette année :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtDayUnit, FieldKind::kText, Field::HumTab, 351, 23, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtMonthUnit, FieldKind::kText, Field::HumTab, 351, 49, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtYearUnit, FieldKind::kText, Field::HumTab, 351, 76, 20, 15, "mm", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EtDayValue, FieldKind::kText, Field::HumTab, 297, 21, 50, 20, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::EtMonthValue, FieldKind::kText, Field::HumTab, 297, 46, 50, 20, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::EtYearValue, FieldKind::kText, Field::HumTab, 297, 73, 50, 20, "8888,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LeafSoilTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Foliaire / Humus", "plant-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilIcon, FieldKind::kPicture, Field::LeafSoilTab, 556, 107, 32, 32, "", "soil-layers-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafSoilImage, FieldKind::kPicture, Field::LeafSoilTab, 349, 50, 128, 128, "", "garden-tree-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetFrame, FieldKind::kFrame, Field::LeafSoilTab, 2, 1, 149, 225, "Humidité du feuillage", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafIcon, FieldKind::kPicture, Field::LeafSoilTab, 40, 100, 32, 32, "", "green-leaf-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetLabel1, FieldKind::kText, Field::LeafSoilTab, 12, 31, 55, 15, "Capteur 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetLabel2, FieldKind::kText, Field::LeafSoilTab, 12, 65, 55, 15, "Capteur 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafTempLabel1, FieldKind::kText, Field::LeafSoilTab, 176, 30, 55, 15, "Capteur 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafTempLabel2, FieldKind::kText, Field::LeafSoilTab, 176, 65, 55, 15, "Capteur 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetValue2, FieldKind::kText, Field::LeafSoilTab, 71, 56, 40, 23, "88", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LeafWetUnit2, FieldKind::kText, Field::LeafSoilTab, 113, 66, 15, 15, "lf", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetUnit1, FieldKind::kText, Field::LeafSoilTab, 113, 30, 15, 15, "lf", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafWetValue1, FieldKind::kText, Field::LeafSoilTab, 71, 21, 40, 23, "88", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LeafTempValue1, FieldKind::kText, Field::LeafSoilTab, 239, 21, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LeafTempFrame, FieldKind::kFrame, Field::LeafSoilTab, 169, 1, 164, 90, "Température du feuillage", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistFrame, FieldKind::kFrame, Field::LeafSoilTab, 495, 2, 149, 225, "Humidité du sol", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempFrame, FieldKind::kFrame, Field::LeafSoilTab, 655, 0, 149, 225, "Température du sol", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafTempUnit1, FieldKind::kText, Field::LeafSoilTab, 297, 31, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LeafTempValue2, FieldKind::kText, Field::LeafSoilTab, 239, 57, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LeafTempUnit2, FieldKind::kText, Field::LeafSoilTab, 297, 65, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistLabel1, FieldKind::kText, Field::LeafSoilTab, 504, 33, 50, 15, "Sonde 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistLabel2, FieldKind::kText, Field::LeafSoilTab, 504, 85, 50, 15, "Sonde 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistLabel3, FieldKind::kText, Field::LeafSoilTab, 503, 155, 50, 15, "Sonde 3 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistLabel4, FieldKind::kText, Field::LeafSoilTab, 503, 202, 50, 15, "Sonde 4 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempLabel1, FieldKind::kText, Field::LeafSoilTab, 667, 35, 50, 15, "Sonde 1 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempLabel2, FieldKind::kText, Field::LeafSoilTab, 666, 84, 50, 15, "Sonde 2 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempLabel3, FieldKind::kText, Field::LeafSoilTab, 666, 139, 50, 15, "Sonde 3 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempLabel4, FieldKind::kText, Field::LeafSoilTab, 666, 186, 50, 15, "Sonde 4 :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistValue1, FieldKind::kText, Field::LeafSoilTab, 558, 25, 50, 25, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilMoistValue2, FieldKind::kText, Field::LeafSoilTab, 559, 76, 50, 25, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilMoistValue3, FieldKind::kText, Field::LeafSoilTab, 559, 146, 50, 25, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilMoistValue4, FieldKind::kText, Field::LeafSoilTab, 559, 193, 50, 25, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilMoistUnit1, FieldKind::kText, Field::LeafSoilTab, 611, 33, 15, 15, "cb", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistUnit2, FieldKind::kText, Field::LeafSoilTab, 612, 85, 15, 15, "cb", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistUnit3, FieldKind::kText, Field::LeafSoilTab, 613, 155, 15, 15, "cb", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilMoistUnit4, FieldKind::kText, Field::LeafSoilTab, 613, 202, 15, 15, "cb", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempUnit1, FieldKind::kText, Field::LeafSoilTab, 777, 36, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempValue1, FieldKind::kText, Field::LeafSoilTab, 719, 26, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilTempValue2, FieldKind::kText, Field::LeafSoilTab, 718, 77, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilTempValue3, FieldKind::kText, Field::LeafSoilTab, 719, 130, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilTempValue4, FieldKind::kText, Field::LeafSoilTab, 719, 178, 55, 28, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 14, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SoilTempUnit2, FieldKind::kText, Field::LeafSoilTab, 776, 87, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempUnit3, FieldKind::kText, Field::LeafSoilTab, 776, 140, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::SoilTempUnit4, FieldKind::kText, Field::LeafSoilTab, 776, 188, 15, 15, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlertTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Alertes", "bell-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlertMuteButton, FieldKind::kToggleButton, Field::AlertTab, 297, 159, 55, 50, "", "stop-sign-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kPlain, "Arreter les notifications d'alerte"},
    {Field::ActiveAlertList, FieldKind::kColumnList, Field::AlertTab, 372, 16, 428, 205, "", "", kActiveAlertListColumns, true, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlertBellImage, FieldKind::kPicture, Field::AlertTab, 290, 75, 72, 72, "", "alarm-bell-72", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlarmThresholdList, FieldKind::kColumnList, Field::AlertTab, 7, 17, 270, 205, "", "", kAlarmThresholdListColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlarmThresholdFrame, FieldKind::kFrame, Field::AlertTab, 1, 0, 279, 227, "Liste des alertes console activées", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ActiveAlertFrame, FieldKind::kFrame, Field::AlertTab, 369, 1, 436, 225, "Alertes en cours", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::StationTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Infos station", "chip-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::StationImage, FieldKind::kPicture, Field::StationTab, 37, -6, 96, 96, "", "chip-96", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LastCollectValue, FieldKind::kText, Field::StationTab, 405, 45, 175, 20, "88/88/8888 - 88:88:88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::TimeZoneValue, FieldKind::kText, Field::StationTab, 191, 41, 190, 45, "N/A", "", kNoColumns, false, {FontFace::kTahoma, 8, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::TransStatsFrame, FieldKind::kFrame, Field::StationTab, 0, 95, 180, 131, "Statistique Transmissions", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::PacketsRecvLabel, FieldKind::kText, Field::StationTab, 5, 125, 85, 15, "Données reçus :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::PacketsLostLabel, FieldKind::kText, Field::StationTab, 5, 145, 85, 15, "Données perdu :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ResyncLabel, FieldKind::kText, Field::StationTab, 5, 175, 95, 15, "Resynchronisation :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::CrcErrorsLabel, FieldKind::kText, Field::StationTab, 5, 195, 75, 15, "Erreurs CRC :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LocationFrame, FieldKind::kFrame, Field::StationTab, 390, 115, 200, 110, "Localisation", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LatitudeLabel, FieldKind::kText, Field::StationTab, 400, 140, 55, 15, "Latitude :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LatitudeValue, FieldKind::kText, Field::StationTab, 445, 135, 140, 20, "88° 88m 88s", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::LongitudeLabel, FieldKind::kText, Field::StationTab, 400, 165, 60, 15, "Longitude :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LongitudeValue, FieldKind::kText, Field::StationTab, 455, 161, 130, 20, "88° 88m 88s", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::PacketsRecvValue, FieldKind::kText, Field::StationTab, 105, 120, 65, 20, "8888888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::PacketsLostValue, FieldKind::kText, Field::StationTab, 105, 145, 65, 20, "8888888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ResyncValue, FieldKind::kText, Field::StationTab, 105, 170, 65, 20, "8888888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::CrcErrorsValue, FieldKind::kText, Field::StationTab, 105, 195, 65, 20, "8888888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::BatteryFrame, FieldKind::kFrame, Field::StationTab, 620, 115, 180, 110, "Batteries", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ConsoleBatteryLabel, FieldKind::kText, Field::StationTab, 640, 135, 55, 15, "Console :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ConsoleBatteryValue, FieldKind::kText, Field::StationTab, 700, 135, 39, 18, "88,88", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ConsoleBatteryUnit, FieldKind::kText, Field::StationTab, 744, 139, 25, 15, "Volts", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TransmitterStatusLabel, FieldKind::kText, Field::StationTab, 640, 155, 75, 30, "Status transmetteur :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RepeaterStatusLabel, FieldKind::kText, Field::StationTab, 635, 195, 85, 15, "Status répéteur :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TransmitterStatusValue, FieldKind::kText, Field::StationTab, 725, 165, 65, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::RepeaterStatusValue, FieldKind::kText, Field::StationTab, 725, 190, 65, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ElevationLabel, FieldKind::kText, Field::StationTab, 400, 197, 85, 15, "Hauteur station :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ElevationValue, FieldKind::kText, Field::StationTab, 490, 195, 44, 18, "88888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ElevationUnit, FieldKind::kText, Field::StationTab, 536, 198, 20, 15, "m", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FirmwareFrame, FieldKind::kFrame, Field::StationTab, 620, 8, 180, 101, "Firmware", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FirmwareDateLabel, FieldKind::kText, Field::StationTab, 630, 40, 35, 15, "Date :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FirmwareVersionLabel, FieldKind::kText, Field::StationTab, 630, 70, 45, 15, "Version :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FirmwareDateValue, FieldKind::kText, Field::StationTab, 665, 35, 120, 20, "88/88/8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::FirmwareVersionValue, FieldKind::kText, Field::StationTab, 690, 65, 60, 20, "888888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::TimeZoneFrame, FieldKind::kFrame, Field::StationTab, 187, -1, 200, 227, "Fuseau horaire", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TimeZoneLabel, FieldKind::kText, Field::StationTab, 196, 22, 80, 15, "Fuseau actuel :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TimeZoneUseLabel, FieldKind::kText, Field::StationTab, 198, 92, 105, 15, "Utilisation du fuseau :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TimeZoneUseValue, FieldKind::kText, Field::StationTab, 317, 90, 55, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::AutoDstLabel, FieldKind::kText, Field::StationTab, 198, 127, 130, 15, "Heure d'été automatique :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AutoDstValue, FieldKind::kText, Field::StationTab, 328, 124, 50, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::DstModeValue, FieldKind::kText, Field::StationTab, 309, 158, 50, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::DstModeLabel, FieldKind::kText, Field::StationTab, 199, 161, 100, 15, "Mode heure d'été :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::CollectFrame, FieldKind::kFrame, Field::StationTab, 390, 0, 200, 110, "Collectes des données", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LastCollectLabel, FieldKind::kText, Field::StationTab, 400, 20, 95, 15, "Dernièrre collecte :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ArchiveIntervalLabel, FieldKind::kText, Field::StationTab, 400, 80, 120, 15, "Intervalle d'archivages :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ArchiveIntervalValue, FieldKind::kText, Field::StationTab, 520, 77, 30, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::ArchiveIntervalUnit, FieldKind::kText, Field::StationTab, 552, 80, 25, 15, "mins", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TimeCorrectionLabel, FieldKind::kText, Field::StationTab, 197, 195, 100, 15, "Correction heure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TimeCorrectionValue, FieldKind::kText, Field::StationTab, 306, 192, 55, 20, "N/A", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::SettingsTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Réglages", "pen-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindDirCorrValue, FieldKind::kText, Field::SettingsTab, 104, 198, 35, 20, "888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kBalloon, "Direction du vent"},
    {Field::SettingsImage, FieldKind::kPicture, Field::SettingsTab, 262, 44, 128, 128, "", "tools-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TempCorrFrame, FieldKind::kFrame, Field::SettingsTab, 5, 3, 190, 80, "Correction température", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::HumCorrFrame, FieldKind::kFrame, Field::SettingsTab, 5, 86, 190, 82, "Correction humidité", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TransConfigFrame, FieldKind::kFrame, Field::SettingsTab, 427, 5, 375, 217, "Configuration des transmissions", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::InTempCorrLabel, FieldKind::kText, Field::SettingsTab, 18, 29, 75, 15, "Intérieure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Correction de la température"},
    {Field::OutTempCorrLabel, FieldKind::kText, Field::SettingsTab, 18, 56, 75, 15, "Extérieure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Correction de la température"},
    {Field::InTempCorrValue, FieldKind::kText, Field::SettingsTab, 108, 26, 40, 20, "88.8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::OutTempCorrValue, FieldKind::kText, Field::SettingsTab, 108, 52, 40, 20, "88.8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::InTempCorrUnit, FieldKind::kText, Field::SettingsTab, 153, 29, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutTempCorrUnit, FieldKind::kText, Field::SettingsTab, 153, 54, 15, 15, "°C", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::InHumCorrLabel, FieldKind::kText, Field::SettingsTab, 16, 118, 75, 15, "Intérieure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Correction de l'humidité"},
    {Field::InHumCorrValue, FieldKind::kText, Field::SettingsTab, 101, 116, 40, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::InHumCorrUnit, FieldKind::kText, Field::SettingsTab, 143, 119, 15, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::OutHumCorrLabel, FieldKind::kText, Field::SettingsTab, 16, 144, 75, 15, "Extérieure :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Correction de l'humidité"},
    {Field::OutHumCorrValue, FieldKind::kText, Field::SettingsTab, 101, 143, 40, 20, "8888", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kNone, ""},
    {Field::OutHumCorrUnit, FieldKind::kText, Field::SettingsTab, 143, 145, 15, 15, "%", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindDirCorrFrame, FieldKind::kFrame, Field::SettingsTab, 6, 172, 189, 55, "Correction direction du vent", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::WindDirCorrLabel, FieldKind::kText, Field::SettingsTab, 16, 201, 75, 15, "Direction :", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Correction de la direction du vent"},
    {Field::WindDirCorrUnit, FieldKind::kText, Field::SettingsTab, 141, 198, 15, 14, "°", "", kNoColumns, false, {FontFace::kComicSansMs, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TransmitterList, FieldKind::kColumnList, Field::SettingsTab, 430, 25, 368, 190, "", "", kTransmitterListColumns, true, {FontFace::kArialNarrow, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ActivityTab, FieldKind::kPage, Field::DetailTabs, 0, 0, 0, 0, "Activité", "log-sheet-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LinkStateText, FieldKind::kText, Field::ActivityTab, 288, 54, 145, 40, "---", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kCentre, TooltipKind::kBalloon, "Etat de la connexion"},
    {Field::LinkStateIcon, FieldKind::kPicture, Field::ActivityTab, 346, 20, 20, 20, "", "blue-sphere-16", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AppLogList, FieldKind::kLineList, Field::ActivityTab, 444, 18, 355, 204, "", "", kNoColumns, false, {FontFace::kArialNarrow, 8, false}, Align::kLeft, TooltipKind::kBalloon, "Journal de l'application"},
    {Field::AppLogFrame, FieldKind::kFrame, Field::ActivityTab, 440, 3, 363, 225, "Journal", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ServiceStateFrame, FieldKind::kFrame, Field::ActivityTab, 1, 4, 282, 224, "Etats des collectes de données", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::LinkStateFrame, FieldKind::kFrame, Field::ActivityTab, 286, 3, 150, 95, "Etat connexion console", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ServiceList, FieldKind::kColumnList, Field::ActivityTab, 5, 21, 275, 200, "", "", kServiceListColumns, true, {FontFace::kArialNarrow, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EngineStateFrame, FieldKind::kFrame, Field::ActivityTab, 286, 105, 150, 65, "Etat de RecupDonnees", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::EngineStateText, FieldKind::kText, Field::ActivityTab, 288, 125, 145, 40, "---", "", kNoColumns, false, {FontFace::kTahoma, 8, false}, Align::kCentre, TooltipKind::kBalloon, "Etat de la récupération des services"},
    {Field::TrendArea, FieldKind::kArea, Field::GadgetWindow, 5, 5, 226, 155, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendHeavyIcon, FieldKind::kPicture, Field::TrendArea, 149, 90, 32, 32, "", "yellow-flag-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendSkyIcon, FieldKind::kPicture, Field::TrendArea, 185, 90, 32, 32, "", "rainbow-cloud-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendWindShiftIcon, FieldKind::kPicture, Field::TrendArea, 149, 55, 32, 32, "", "compass-button-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendStopIcon, FieldKind::kPicture, Field::TrendArea, 185, 55, 32, 32, "", "stop-sign-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendWindIcon, FieldKind::kPicture, Field::TrendArea, 185, 20, 32, 32, "", "windsock-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendHorizonText, FieldKind::kText, Field::TrendArea, 155, 130, 60, 20, "88h", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kCentre, TooltipKind::kNone, ""},
    {Field::TrendMainIcon, FieldKind::kPicture, Field::TrendArea, 149, 20, 32, 32, "", "crossed-arrows-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ForecastIcon, FieldKind::kPicture, Field::TrendArea, 5, 18, 132, 132, "", "sun-clouds-128", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::TrendAreaFrame, FieldKind::kFrame, Field::TrendArea, 0, 0, 138, 152, "Tendance", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kPlain, "Tendance météoroligique"},
    {Field::TrendHorizonFrame, FieldKind::kFrame, Field::TrendArea, 141, 1, 83, 152, "Prévisions", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kPlain, "Tendance météoroligique"},
    {Field::ForecastArea, FieldKind::kArea, Field::GadgetWindow, 231, 145, 290, 70, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::ForecastText, FieldKind::kText, Field::ForecastArea, 11, 17, 270, 49, "N/A", "", kNoColumns, false, {FontFace::kTahoma, 8, true}, Align::kCentre, TooltipKind::kBalloon, "Prévision météo"},
    {Field::ForecastFrame, FieldKind::kFrame, Field::ForecastArea, 5, -2, 282, 72, "Prévisions", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::StatusArea, FieldKind::kArea, Field::GadgetWindow, 5, 158, 227, 65, "", "", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::FrostIcon, FieldKind::kPicture, Field::StatusArea, 108, 22, 28, 28, "", "frosted-thermometer-24", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::StatusLinkIcon, FieldKind::kPicture, Field::StatusArea, 7, 20, 32, 32, "", "eraser-tick-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::RainAlertIcon, FieldKind::kPicture, Field::StatusArea, 75, 18, 36, 36, "", "orange-umbrella-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::AlarmAlertIcon, FieldKind::kPicture, Field::StatusArea, 41, 20, 32, 32, "", "warning-triangle-32", kNoColumns, false, kNoFont, Align::kLeft, TooltipKind::kNone, ""},
    {Field::StatusFrame, FieldKind::kFrame, Field::StatusArea, 0, 3, 138, 55, "Etat général", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndexFrame, FieldKind::kFrame, Field::StatusArea, 141, 3, 83, 54, "Indice ---", "", kNoColumns, false, {FontFace::kVerdana, 8, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndexUnit, FieldKind::kText, Field::StatusArea, 198, 27, 20, 20, "°c", "", kNoColumns, false, {FontFace::kComicSansMs, 9, false}, Align::kLeft, TooltipKind::kNone, ""},
    {Field::IndexValue, FieldKind::kText, Field::StatusArea, 144, 25, 50, 20, "-88,8", "", kNoColumns, false, {FontFace::kComicSansMs, 10, true}, Align::kRight, TooltipKind::kBalloon, "Indice global"},
};
// clang-format on

static_assert(std::size(kCatalogue) == kFieldCount, "one catalogue entry per field");

constexpr bool InCreationOrder() {
  for (std::size_t i = 0; i < std::size(kCatalogue); ++i) {
    if (static_cast<std::size_t>(kCatalogue[i].id) != i) return false;
  }
  return true;
}
static_assert(InCreationOrder(), "catalogue entries follow the order of Field");

constexpr std::array<Field, 10> kPages = {
    Field::RainTab,     Field::WindTab,  Field::TempTab,    Field::SolarTab,    Field::HumTab,
    Field::LeafSoilTab, Field::AlertTab, Field::StationTab, Field::SettingsTab, Field::ActivityTab};

std::string_view AlignName(Align align) {
  switch (align) {
    case Align::kLeft:
      return "left";
    case Align::kCentre:
      return "centre";
    case Align::kRight:
      return "right";
  }
  return "";
}

std::string_view TooltipKindName(TooltipKind kind) {
  switch (kind) {
    case TooltipKind::kNone:
      return "none";
    case TooltipKind::kBalloon:
      return "balloon";
    case TooltipKind::kPlain:
      return "plain";
  }
  return "";
}

std::string ContentText(const FieldEntry& e) {
  std::string out;
  switch (e.kind) {
    case FieldKind::kPage:
      out = "tab \"" + std::string(e.text) + "\" icon " + std::string(e.picture);
      break;
    case FieldKind::kPicture:
    case FieldKind::kToggleButton:
      out = e.picture.empty() ? "no picture" : "picture " + std::string(e.picture);
      break;
    case FieldKind::kColumnList:
      out = "columns";
      for (const ListColumn& c : e.columns) {
        out += " \"" + std::string(c.title) + "\" " + std::to_string(c.width);
        if (c.auto_size) out += " auto";
        out += ',';
      }
      if (!e.columns.empty()) out.pop_back();
      if (e.full_row_select) out += "; full-row select";
      break;
    case FieldKind::kTree:
    case FieldKind::kLineList:
    case FieldKind::kArea:
    case FieldKind::kTabPanel:
      break;
    case FieldKind::kWindow:
    case FieldKind::kFrame:
    case FieldKind::kText:
      out = "\"" + std::string(e.text) + "\"";
      break;
  }
  return out;
}

}  // namespace

std::span<const FieldEntry> FieldCatalogue() {
  return kCatalogue;
}

const FieldEntry& CatalogueEntry(Field field) {
  return kCatalogue[static_cast<std::size_t>(field)];
}

std::span<const Field> DetailPages() {
  return kPages;
}

std::string_view FieldKindName(FieldKind kind) {
  switch (kind) {
    case FieldKind::kWindow:
      return "window";
    case FieldKind::kArea:
      return "area";
    case FieldKind::kTabPanel:
      return "tab panel";
    case FieldKind::kPage:
      return "page";
    case FieldKind::kFrame:
      return "frame";
    case FieldKind::kText:
      return "text";
    case FieldKind::kPicture:
      return "picture";
    case FieldKind::kColumnList:
      return "column list";
    case FieldKind::kTree:
      return "tree";
    case FieldKind::kLineList:
      return "line list";
    case FieldKind::kToggleButton:
      return "toggle picture button";
  }
  return "";
}

std::string_view FontFaceName(FontFace face) {
  switch (face) {
    case FontFace::kNone:
      return "";
    case FontFace::kComicSansMs:
      return "Comic Sans MS";
    case FontFace::kTahoma:
      return "Tahoma";
    case FontFace::kVerdana:
      return "Verdana";
    case FontFace::kArialNarrow:
      return "Arial Narrow";
  }
  return "";
}

std::string FontText(const FontSpec& font) {
  if (font.face == FontFace::kNone) return {};
  std::string out(FontFaceName(font.face));
  out += ' ';
  out += std::to_string(font.points);
  if (font.bold) out += " bold";
  return out;
}

std::string CatalogueLine(const FieldEntry& e) {
  std::string line(FieldName(e.id));
  const auto add = [&line](std::string_view part) {
    line += '\t';
    line += part;
  };
  add(FieldKindName(e.kind));
  add(e.kind == FieldKind::kWindow ? std::string_view{} : FieldName(e.parent));
  add(std::to_string(e.x));
  add(std::to_string(e.y));
  add(std::to_string(e.w));
  add(std::to_string(e.h));
  add(ContentText(e));
  add(FontText(e.font));
  add(e.kind == FieldKind::kText ? AlignName(e.align) : std::string_view{});
  add(TooltipKindName(e.tooltip_kind));
  add(e.tooltip);
  return line;
}

}  // namespace tv
