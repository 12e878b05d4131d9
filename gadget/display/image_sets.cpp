#include "gadget/display/image_sets.h"

#include <map>
#include <mutex>

#include "gadget/display/carried_pictures.h"
#include "lib/common/named_handles.h"

namespace tv {
namespace {

constexpr NamedPicture kGeneralSet[] = {
    {"ICO_EtatConnexionOK", "screen-network-32", 32},
    {"ICO_EtatConnexionActivite", "screen-green-32", 32},
    {"ICO_EtatConnexionNOK", "screen-cross-32", 32},
    {"ICO_VT", "app-console-64", 64},
    {"ICO_HiLowJour", "calendar-day-16", 16},
    {"ICO_HiLowMois", "calendar-month-16", 16},
    {"ICO_HiLowAnnee", "calendar-year-16", 16},
    {"ICO_HiLowValeurBasse", "arrow-down-blue-16", 16},
    {"ICO_HiLowValeurHaute", "arrow-up-red-16", 16},
    {"ICO_Thermometre_16", "thermometer-16", 16},
    {"ICO_Humidite_16", "water-drop-16", 16},
    {"ICO_Solaire_16", "sun-16", 16},
    {"ICO_Anemometre_16", "windsock-16", 16},
    {"ICO_Feuille_16", "leaf-16", 16},
    {"ICO_Heat_16", "colour-scale-16", 16},
    {"ICO_TempRessenti_16", "face-16", 16},
    {"ICO_PointRose_16", "rainbow-16", 16},
    {"ICO_Vent_16", "windsock-16", 16},
    {"ICO_Sol_16", "soil-layers-16", 16},
};

constexpr NamedPicture kForecastSet[] = {
    {"ICO_ForeCast_Soleil", "fc-sun-128", 128},
    {"ICO_ForeCast_Pluie", "fc-rain-128", 128},
    {"ICO_ForeCast_SoleilNuage", "fc-sun-cloud-128", 128},
    {"ICO_ForeCast_Nuage", "fc-cloud-128", 128},
    {"ICO_ForeCast_Orage", "fc-storm-128", 128},
    {"ICO_ForeCast_Neige", "fc-snow-128", 128},
    {"ICO_ForeCast_SoleilNuage_Pluie", "fc-sun-cloud-rain-128", 128},
    {"ICO_ForeCast_SoleilNuage_Neige", "fc-sun-cloud-snow-128", 128},
    {"ICO_ForeCast_SoleilNuage_Pluie_Neige", "fc-sun-cloud-rain-snow-128", 128},
    {"ICO_ForeCast_Pluie_Neige", "fc-rain-snow-128", 128},
};

// The last entry is the sun with a small cloud that sentences 11 and 12 of the
// forecast ask for under that name.
constexpr NamedPicture kTrendSet[] = {
    {"ICO_Tendance_ChangementDeTemperature", "thermometer-arrows-16", 16},
    {"ICO_Tendance_TemperatureFraiche", "arrow-down-green-48", 48},
    {"ICO_Tendance_PluieContinue", "cloud-heavy-rain-32", 32},
    {"ICO_Tendance_PluiePossible", "cloud-drops-32", 32},
    {"ICO_Tendance_PluieStop", "sun-over-cloud-32", 32},
    {"ICO_Tendance_NuagePartiel", "sun-cloud-32", 32},
    {"ICO_Tendance_Nuage", "clouds-32", 32},
    {"ICO_Tendance_Soleil", "sun-32", 32},
    {"ICO_Tendance_ChangementDeDirectionVent", "compass-button-32", 32},
    {"ICO_Tendance_Vent", "windsock-32", 32},
    {"ICO_Tendance_Forte", "red-flag-16", 16},
    {"ICO_Tendance_Stop", "stop-sign-32", 32},
    {"ICO_Tendance_Pression_stable", "arrow-right-green-16", 16},
    {"ICO_Tendance_Pression_hausse", "arrow-up-right-green-16", 16},
    {"ICO_Tendance_Pression_baisse", "arrow-down-right-green-16", 16},
    {"ICO_Tendance_Pression_baisse_rapide", "arrow-down-green-16", 16},
    {"ICO_Tendance_Pression_hausse_rapide", "arrow-up-green-16", 16},
    {"ICO_Question", "question-16", 16},
    {"ICO_Tendance_FinNuage", "sun-small-cloud-32", 32},
};

struct Numbered {
  std::mutex mutex;
  std::map<int, ImageHandle> images;
};

Numbered& NumberedImages() {
  static Numbered numbered;
  return numbered;
}

void RegisterSet(std::span<const NamedPicture> set) {
  for (const NamedPicture& p : set) {
    RegisterHandle(p.name, kHandleKindImage, CarriedPictureImage(p.picture));
  }
}

}  // namespace

std::span<const NamedPicture> GeneralImageSet() {
  return kGeneralSet;
}

std::span<const NamedPicture> ForecastImageSet() {
  return kForecastSet;
}

std::span<const NamedPicture> TrendImageSet() {
  return kTrendSet;
}

void RegisterGeneralSet() {
  RegisterSet(kGeneralSet);
  Numbered& n = NumberedImages();
  const ImageHandle rose = CarriedPictureImage(kWindRosePicture);
  std::lock_guard lock(n.mutex);
  n.images[kWindRoseImageNumber] = rose;
}

void RegisterForecastSet() {
  RegisterSet(kForecastSet);
}

void RegisterTrendSet() {
  RegisterSet(kTrendSet);
}

ImageHandle NumberedImage(int number) {
  Numbered& n = NumberedImages();
  std::lock_guard lock(n.mutex);
  auto it = n.images.find(number);
  return it == n.images.end() ? kNoImage : it->second;
}

}  // namespace tv
