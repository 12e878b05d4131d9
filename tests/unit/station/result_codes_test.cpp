#include "lib/station/result_codes.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tv {
namespace {

TEST(ResultCodeText, KnownAndUnknownCodes) {
  const std::string contact =
      "Merci de contacter Teskaro au sujet de cette erreur : support@teskaro-ventaro.example";
  struct Case {
    const char* legend;
    int code;
    std::string text;
  };
  const Case cases[] = {
      {"success", 1, "1 | Traitement effectuée correctement."},
      {"not done", 0, "0 | ERREUR : Opération non effectuée."},
      {"data error", 32768, "32768 | ERREUR : Erreur de données."},
      {"communication error loses its minus sign", -32701,
       "32701 | Erreur de communication entre l'application et la console."},
      {"open error", -32703, "32703 | Erreur d'ouverture de communication."},
      {"dashed negative", -32768, "32768 | Valeur négative."},
      {"unknown positive code: contact text alone", 2, contact},
      {"unknown negative code: contact text alone", -1, contact},
      {"a block that kept failing its CRC", -32708,
       "32708 | ERREUR : Données reçues altérées (CRC) à chaque essai."},
      {"a command the console refused", -32709, "32709 | La console a refusé la commande."},
      {"a code next to the known ones is unknown", -32710, contact},
  };
  for (const auto& c : cases) EXPECT_EQ(ResultCodeText(c.code), c.text) << c.legend;
}

TEST(IsValidResult, RejectsValuesRoundingToCodes) {
  struct Case {
    const char* legend;
    float value;
    int valid;
  };
  const Case cases[] = {
      {"zero is a measurement", 0.0f, 1},
      {"one is a measurement", 1.0f, 1},
      {"ordinary temperature", 71.3f, 1},
      {"communication error", -32701.0f, 0},
      {"rounds down to -32700", -32700.4f, 0},
      {"half rounds to the even neighbour -32700", -32699.5f, 0},
      {"rounds to -32699, not a code", -32699.4f, 1},
      {"half between -32707 and -32708 rounds to -32708, not a code", -32707.5f, 1},
      {"data error", 32768.0f, 0},
      {"dashed sensor", -32768.0f, 0},
      {"positive-value code", -32767.0f, 0},
      {"-32766 is no code", -32766.0f, 1},
      {"positive 32701 is no code", 32701.0f, 1},
      {"huge value", 3.0e38f, 1},
      {"NaN is no measurement", std::numeric_limits<float>::quiet_NaN(), 0},
      {"infinity is no measurement", std::numeric_limits<float>::infinity(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidResult(c.value), c.valid) << c.legend;
}

}  // namespace
}  // namespace tv
