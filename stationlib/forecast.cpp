#include "stationlib/forecast.h"

namespace tv::stationlib {

namespace {

// clang-format off
constexpr std::array<std::uint8_t, 3> kRules[197] = {
    {{1, 0, 0}},  // 0
    {{2, 0, 0}},  // 1
    {{3, 0, 0}},  // 2
    {{4, 0, 0}},  // 3
    {{2, 0, 0}},  // 4
    {{38, 0, 0}},  // 5
    {{39, 0, 0}},  // 6
    {{39, 0, 0}},  // 7
    {{5, 0, 0}},  // 8
    {{39, 0, 0}},  // 9
    {{39, 0, 0}},  // 10
    {{2, 0, 0}},  // 11
    {{8, 32, 0}},  // 12
    {{39, 0, 0}},  // 13
    {{2, 0, 0}},  // 14
    {{9, 31, 0}},  // 15
    {{2, 0, 0}},  // 16
    {{39, 0, 0}},  // 17
    {{2, 0, 0}},  // 18
    {{9, 28, 0}},  // 19
    {{2, 0, 0}},  // 20
    {{39, 0, 0}},  // 21
    {{2, 0, 0}},  // 22
    {{8, 31, 0}},  // 23
    {{5, 34, 0}},  // 24
    {{39, 0, 0}},  // 25
    {{2, 0, 0}},  // 26
    {{8, 28, 34}},  // 27
    {{5, 34, 0}},  // 28
    {{8, 0, 0}},  // 29
    {{39, 0, 0}},  // 30
    {{2, 0, 0}},  // 31
    {{8, 28, 34}},  // 32
    {{5, 34, 0}},  // 33
    {{8, 0, 0}},  // 34
    {{39, 0, 0}},  // 35
    {{2, 0, 0}},  // 36
    {{8, 28, 34}},  // 37
    {{39, 0, 0}},  // 38
    {{2, 0, 0}},  // 39
    {{5, 33, 0}},  // 40
    {{5, 0, 0}},  // 41
    {{39, 0, 0}},  // 42
    {{2, 0, 0}},  // 43
    {{9, 32, 0}},  // 44
    {{9, 0, 0}},  // 45
    {{39, 0, 0}},  // 46
    {{2, 0, 0}},  // 47
    {{8, 30, 0}},  // 48
    {{39, 0, 0}},  // 49
    {{2, 0, 0}},  // 50
    {{8, 30, 35}},  // 51
    {{39, 0, 0}},  // 52
    {{2, 0, 0}},  // 53
    {{8, 30, 35}},  // 54
    {{39, 0, 0}},  // 55
    {{2, 0, 0}},  // 56
    {{8, 27, 0}},  // 57
    {{39, 0, 0}},  // 58
    {{2, 0, 0}},  // 59
    {{8, 27, 35}},  // 60
    {{39, 0, 0}},  // 61
    {{2, 0, 0}},  // 62
    {{8, 30, 35}},  // 63
    {{39, 0, 0}},  // 64
    {{2, 0, 0}},  // 65
    {{8, 28, 0}},  // 66
    {{39, 0, 0}},  // 67
    {{2, 0, 0}},  // 68
    {{8, 18, 0}},  // 69
    {{11, 20, 0}},  // 70
    {{39, 0, 0}},  // 71
    {{11, 20, 0}},  // 72
    {{2, 0, 0}},  // 73
    {{11, 20, 0}},  // 74
    {{38, 0, 0}},  // 75
    {{39, 0, 0}},  // 76
    {{1, 0, 0}},  // 77
    {{11, 20, 0}},  // 78
    {{2, 0, 0}},  // 79
    {{11, 20, 0}},  // 80
    {{1, 0, 0}},  // 81
    {{39, 0, 0}},  // 82
    {{2, 0, 0}},  // 83
    {{9, 31, 0}},  // 84
    {{13, 16, 0}},  // 85
    {{39, 0, 0}},  // 86
    {{2, 0, 0}},  // 87
    {{13, 18, 0}},  // 88
    {{14, 16, 0}},  // 89
    {{14, 18, 0}},  // 90
    {{39, 0, 0}},  // 91
    {{2, 0, 0}},  // 92
    {{10, 25, 0}},  // 93
    {{9, 25, 0}},  // 94
    {{13, 16, 34}},  // 95
    {{39, 0, 0}},  // 96
    {{2, 0, 0}},  // 97
    {{13, 18, 34}},  // 98
    {{14, 16, 34}},  // 99
    {{14, 18, 34}},  // 100
    {{39, 0, 0}},  // 101
    {{2, 0, 0}},  // 102
    {{10, 30, 36}},  // 103
    {{9, 30, 36}},  // 104
    {{39, 0, 0}},  // 105
    {{2, 0, 0}},  // 106
    {{10, 24, 36}},  // 107
    {{9, 24, 36}},  // 108
    {{13, 21, 36}},  // 109
    {{13, 36, 0}},  // 110
    {{14, 21, 36}},  // 111
    {{14, 36, 0}},  // 112
    {{13, 21, 36}},  // 113
    {{39, 0, 0}},  // 114
    {{2, 0, 0}},  // 115
    {{13, 31, 36}},  // 116
    {{14, 21, 36}},  // 117
    {{14, 31, 36}},  // 118
    {{12, 20, 0}},  // 119
    {{12, 0, 0}},  // 120
    {{13, 20, 37}},  // 121
    {{13, 37, 0}},  // 122
    {{12, 0, 0}},  // 123
    {{39, 0, 0}},  // 124
    {{2, 0, 0}},  // 125
    {{14, 28, 35}},  // 126
    {{39, 0, 0}},  // 127
    {{2, 0, 0}},  // 128
    {{10, 29, 35}},  // 129
    {{13, 20, 35}},  // 130
    {{39, 0, 0}},  // 131
    {{2, 0, 0}},  // 132
    {{13, 28, 35}},  // 133
    {{13, 23, 0}},  // 134
    {{13, 0, 0}},  // 135
    {{13, 17, 35}},  // 136
    {{39, 0, 0}},  // 137
    {{2, 0, 0}},  // 138
    {{13, 27, 35}},  // 139
    {{14, 17, 35}},  // 140
    {{39, 0, 0}},  // 141
    {{2, 0, 0}},  // 142
    {{14, 27, 35}},  // 143
    {{39, 0, 0}},  // 144
    {{2, 0, 0}},  // 145
    {{9, 29, 35}},  // 146
    {{13, 35, 0}},  // 147
    {{13, 17, 35}},  // 148
    {{39, 0, 0}},  // 149
    {{2, 0, 0}},  // 150
    {{13, 19, 35}},  // 151
    {{14, 17, 35}},  // 152
    {{14, 19, 35}},  // 153
    {{39, 0, 0}},  // 154
    {{2, 0, 0}},  // 155
    {{10, 24, 35}},  // 156
    {{9, 24, 35}},  // 157
    {{10, 16, 37}},  // 158
    {{39, 0, 0}},  // 159
    {{2, 0, 0}},  // 160
    {{13, 18, 37}},  // 161
    {{14, 16, 37}},  // 162
    {{14, 18, 37}},  // 163
    {{10, 24, 37}},  // 164
    {{39, 0, 0}},  // 165
    {{2, 0, 0}},  // 166
    {{10, 24, 36}},  // 167
    {{9, 24, 37}},  // 168
    {{9, 24, 36}},  // 169
    {{39, 0, 0}},  // 170
    {{2, 0, 0}},  // 171
    {{10, 24, 37}},  // 172
    {{9, 24, 37}},  // 173
    {{39, 0, 0}},  // 174
    {{2, 0, 0}},  // 175
    {{10, 30, 37}},  // 176
    {{9, 30, 37}},  // 177
    {{13, 22, 37}},  // 178
    {{39, 0, 0}},  // 179
    {{2, 0, 0}},  // 180
    {{13, 26, 37}},  // 181
    {{14, 21, 37}},  // 182
    {{14, 26, 37}},  // 183
    {{13, 16, 0}},  // 184
    {{39, 0, 0}},  // 185
    {{2, 0, 0}},  // 186
    {{13, 18, 37}},  // 187
    {{14, 16, 0}},  // 188
    {{14, 18, 0}},  // 189
    {{39, 0, 0}},  // 190
    {{2, 0, 0}},  // 191
    {{13, 29, 35}},  // 192
    {{15, 0, 0}},  // 193
    {{1, 0, 0}},  // 194
    {{1, 0, 0}},  // 195
    {{1, 0, 0}},  // 196
};

constexpr const char* kSentences[41] = {
    "MOSTLY CLEAR AND COOLER.",
    "MOSTLY CLEAR WITH LITTLE TEMPERATURE CHANGE.",
    "MOSTLY CLEAR FOR 12 HOURS. WITH LITTLE TEMPERATURE CHANGE.",
    "MOSTLY CLEAR FOR 12 TO 24 HOURS. AND COOLER.",
    "MOSTLY CLEAR AND WARMER.",
    "MOSTLY CLEAR FOR 6 TO 12 HOURS. WITH LITTLE TEMPERATURE CHANGE.",
    "MOSTLY CLEAR FOR 12 TO 24 HOURS. WITH LITTLE TEMPERATURE CHANGE.",
    "INCREASING CLOUDS AND WARMER.",
    "INCREASING CLOUDS WITH LITTLE TEMPERATURE CHANGE.",
    "INCREASING CLOUDS AND COOLER.",
    "CLEARING AND COOLER.",
    "CLEARING, COOLER AND WINDY.",
    "MOSTLY CLOUDY AND COOLER.",
    "MOSTLY CLOUDY WITH LITTLE TEMPERATURE CHANGE.",
    "FORECAST NOT READY YET.",
    "PRECIPITATION CONTINUING.",
    "PRECIPITATION CONTINUING, POSSIBLY HEAVY AT TIMES.",
    "PRECIPITATION LIKELY.",
    "PRECIPITATION LIKELY, POSSIBLY HEAVY AT TIMES.",
    "PRECIPITATION ENDING WITHIN 6 HOURS.",
    "PRECIPITATION ENDING WITHIN 12 HOURS.",
    "PRECIPITATION POSSIBLY HEAVY AT TIMES AND ENDING WITHIN 12 HOURS.",
    "PRECIPITATION ENDING IN 12 TO 24 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 6 HOURS.",
    "PRECIPITATION POSSIBLE AND WINDY WITHIN 6 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 6 TO 12 HOURS, POSSIBLY HEAVY AT TIMES.",
    "PRECIPITATION POSSIBLE WITHIN 6 TO 12 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 12 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 12 HOURS, POSSIBLY HEAVY AT TIMES.",
    "PRECIPITATION POSSIBLE WITHIN 12 TO 24 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 24 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 24 TO 48 HOURS.",
    "PRECIPITATION POSSIBLE WITHIN 48 HOURS.",
    "INCREASING WINDS.",
    "WINDY.",
    "POSSIBLE WIND SHIFT TO THE W, NW, OR N.",
    "WINDY WITH POSSIBLE WIND SHIFT TO THE W, NW, OR N.",
    "PARTLY CLOUDY AND COOLER.",
    "PARTLY CLOUDY WITH LITTLE TEMPERATURE CHANGE.",
    "POSSIBLE WIND SHIFT TO THE W, SW, OR S.",
    "WINDY WITH POSSIBLE WIND SHIFT TO THE W, SW, OR S.",
};
// clang-format on

}  // namespace

std::array<std::uint8_t, 3> ForecastSentences(int rule) {
  if (rule < 0 || rule > 196) return {0, 0, 0};
  return kRules[rule];
}

const char* ForecastSentence(int number) {
  if (number < 1 || number > 41) return "";
  return kSentences[number - 1];
}

std::string ForecastText(int rule) {
  std::string text;
  for (const std::uint8_t n : ForecastSentences(rule)) {
    if (n == 0) continue;
    text += ForecastSentence(n);
    text += ' ';
  }
  return text;
}

}  // namespace tv::stationlib
