#include "lib/station/result_codes.h"

#include <array>
#include <cmath>
#include <utility>

#include "lib/station/archive_operations.h"

namespace tv {
namespace {

constexpr std::array<std::pair<int, const char*>, 15> kMessages{{
    {kResultOk, " | Traitement effectuée correctement."},
    {kResultNotDone, " | ERREUR : Opération non effectuée."},
    {kResultDataError, " | ERREUR : Erreur de données."},
    {kResultCommError, " | Erreur de communication entre l'application et la console."},
    {kResultNeedsLoad,
     " | Cette fonctionalité requièrre un chargement ou une initialisation de fonction "
     "supplémentaire."},
    {kResultLibraryStart, " | Problème de démarrage avec la librairie libvantagepro.so."},
    {kResultMemory, " | Erreur de mémoire."},
    {kResultOpenError, " | Erreur d'ouverture de communication."},
    {kResultBadDataId, " | Mauvais ID de données."},
    {kResultBufferTooSmall,
     " | Mémoire ou emplacement mémoire trop petite pour pouvoir y inscrire les données."},
    {kResultBadParameters, " | Mauvais paramètres."},
    {kResultBadCrc, " | ERREUR : Données reçues altérées (CRC) à chaque essai."},
    {kResultRefused, " | La console a refusé la commande."},
    {kResultPositiveValue, " | Valeur positive."},
    {kResultNegativeValue, " | Valeur négative."},
}};

constexpr std::array<int, 11> kRejected{
    kResultLibraryStart, kResultCommError,     kResultMemory,         kResultOpenError,
    kResultNeedsLoad,    kResultBadDataId,     kResultBufferTooSmall, kResultBadParameters,
    kResultDataError,    kResultPositiveValue, kResultNegativeValue};

}  // namespace

std::string ResultCodeText(int code) {
  std::string text;
  for (const auto& [known, message] : kMessages) {
    if (known == code) {
      text = std::to_string(code) + message;
      break;
    }
  }
  if (text.empty()) {
    text = std::string("Merci de contacter Teskaro au sujet de cette erreur : ") + kSupportEmail;
  }
  // The code is shown without its sign.
  text.erase(0, text.find_first_not_of('-'));
  return text;
}

int IsValidResult(float value) {
  if (!std::isfinite(value)) return 0;
  // Compared as floats: a huge value must not be converted to an integer.
  const float rounded = std::nearbyint(value);
  for (int code : kRejected) {
    if (rounded == static_cast<float>(code)) return 0;
  }
  return 1;
}

}  // namespace tv
