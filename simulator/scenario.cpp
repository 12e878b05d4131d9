#include "simulator/scenario.h"

namespace tv::sim {

const std::vector<Scenario>& Scenarios() {
  // Weather: mean °F, swing °F, humidity %, wind mph, gust mph, showers per
  // hour, shower rate in clicks per hour.
  static const std::vector<Scenario> kScenarios = {
      {"default",
       "Pro2 near Lyon: ISS on ID 1, temp/hum station on ID 2, soil/leaf on ID 3",
       16,
       true,
       true,
       {61.0, 9.0, 68.0, 6.0, 7.0, 0.02, 30.0},
       30.02,
       -0.004,
       {},
       {},
       "Apr 24 2012",
       "3.12"},
      {"minimal",
       "Pro2 with the main sensor suite only: no extra, soil, leaf, solar or UV",
       16,
       false,
       false,
       {57.0, 8.0, 72.0, 5.0, 6.0, 0.015, 25.0},
       30.05,
       0.0,
       {},
       {},
       "Apr 24 2012",
       "3.12"},
      {"storm",
       "a storm at its height: heavy rain, strong gusty wind and a falling barometer",
       16,
       true,
       true,
       {55.0, 3.0, 92.0, 36.0, 18.0, 0.0, 25.0},
       29.62,
       -0.035,
       {6.0, 8.0, 200.0},
       {57.0, 7.0, 76.0, 8.0, 9.0, 0.015, 25.0},
       "Apr 24 2012",
       "3.12"},
      {"frost",
       "clear winter night well below freezing",
       16,
       true,
       true,
       {21.0, 7.0, 80.0, 9.0, 8.0, 0.0, 0.0},
       30.35,
       0.003,
       {},
       {},
       "Apr 24 2012",
       "3.12"},
      {"vue",
       "Vue console: integrated suite only, no solar or UV, fixed wind cups",
       17,
       false,
       false,
       {59.0, 8.0, 70.0, 7.0, 7.0, 0.02, 30.0},
       30.00,
       -0.002,
       {},
       {},
       "Oct 31 2016",
       "3.80"},
  };
  return kScenarios;
}

const Scenario* FindScenario(std::string_view name) {
  for (const Scenario& s : Scenarios()) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

}  // namespace tv::sim
