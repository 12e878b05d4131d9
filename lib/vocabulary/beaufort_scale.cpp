#include "lib/vocabulary/beaufort_scale.h"

#include <cmath>
#include <iterator>
#include <string>

namespace tv {
namespace {

struct BeaufortTexts {
  const char* name;
  const char* land;
  const char* sea;
};

// By force, 0 to 12. "Trainées" and "Visibilité fortement réduit." are the
// wording the console software has always shown.
constexpr BeaufortTexts kForces[] = {
    {"Calme.", "La fumée monte verticalement.", "La mer est comme un miroir."},
    {"Très légère brise.",
     "La fumée indique la direction du vent. Les girouettes ne s'orientent pas.",
     "Quelques rides ressemblant à des écailles de poisson, mais sans aucune écume."},
    {"Légère brise.", "On sent le vent sur le visage, les feuilles bougent.",
     "Vaguelettes ne déferlant pas."},
    {"Petite brise.", "Les drapeaux flottent bien. Les feuilles sont sans cesse en mouvement.",
     "Très petites vagues. Les crêtes commencent à déferler. Écume d'aspect vitreux. Parfois "
     "quelques moutons épars."},
    {"Jolie brise.", "Les poussières s'envolent, les petites branches plient.",
     "Petites vagues, moutons assez peu fréquents."},
    {"Bonne brise.", "Les petits arbres balancent. Les sommets de tous les arbres sont agités.",
     "Vagues modérées, moutons, éventuellement embruns."},
    {"Vent frais.", "On entend siffler le vent.", "Crêtes d'écume blanches, lames, embruns."},
    {"Grand vent frais.", "Tous les arbres s'agitent.", "Trainées d'écume, lames déferlantes."},
    {"Coup de vent.", "Quelques branches cassent.",
     "Tourbillons d'écumes à la crête des lames, trainées d'écume."},
    {"Fort coup de vent.", "Légers dégâts aux habitations, les tuiles et les cheminées s'envolent.",
     "Lames déferlantes grosses à énormes, visibilité réduite par les embruns."},
    {"Tempête.", "Des arbres sont déracinés, les habitations subissent d'importants dégâts.",
     "Très grosses lames à longue crête en panache. L'écume produite s'agglomère en larges bancs "
     "et est soufflée dans le lit du vent en épaisses trainées blanches. Dans son ensemble, la "
     "surface des eaux semble blanche. Le déferlement en rouleaux devient intense et brutal. "
     "Visibilité réduite."},
    {"Violente tempête.", "Très gros dégâts.",
     "Lames exceptionnellement hautes (les navires de petit et moyen tonnage peuvent, par instant, "
     "être perdus de vue). La mer est complètement recouverte de bancs d'écume blanche élongés "
     "dans la direction du vent. Partout, le bord de la crête des lames est soufflé et donne de la "
     "mousse. Visibilité réduite."},
    {"Ouragan.", "Dégâts très importants.",
     "L'air est plein d'écume et d'embruns. La mer est entièrement blanche du fait des bancs "
     "d'écume dérivants. Visibilité fortement réduit."},
};

// Highest whole speed (km/h) of forces 0 to 11; above the last one is 12.
constexpr double kUpperBounds[] = {0, 5, 11, 19, 28, 38, 49, 61, 74, 88, 102, 117};

double RoundHalfToEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction > 0.5) return floor + 1.0;
  if (fraction < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

const BeaufortTexts* Texts(int force) {
  if (force < 0 || force >= static_cast<int>(std::size(kForces))) return nullptr;
  return &kForces[force];
}

}  // namespace

int BeaufortForce(double speed_kmh) {
  if (std::isnan(speed_kmh)) return 0;
  const double whole = RoundHalfToEven(speed_kmh);
  for (int force = 0; force < static_cast<int>(std::size(kUpperBounds)); ++force) {
    if (whole <= kUpperBounds[force]) return force;
  }
  return 12;
}

std::string BeaufortName(int force) {
  const BeaufortTexts* texts = Texts(force);
  return texts != nullptr ? texts->name : "---";
}

std::string BeaufortLandEffect(int force) {
  const BeaufortTexts* texts = Texts(force);
  return texts != nullptr ? texts->land : "---";
}

std::string BeaufortSeaState(int force) {
  const BeaufortTexts* texts = Texts(force);
  return texts != nullptr ? texts->sea : "---";
}

}  // namespace tv
