#pragma once

/*
 * libvantagepro.so - the station library of Teskaro Ventaro.
 *
 * Talks to a weather console of the Vantage Pro / Pro2 / Vue family over a
 * serial line, a USB data logger (a USB-serial bridge seen as a tty) or TCP,
 * and offers the operations the agent calls, by their plain names with C
 * linkage. Every operation is thread-safe and bounded in time; a close may be
 * called from another thread while an exchange runs (the exchange then ends
 * at once with VP_ERR_COMM). Nothing is thrown across this interface.
 *
 * Result kinds: "Short" operations return a signed 16-bit status or value,
 * "Long" a signed 32-bit one, "Float" a float. Status 1 is success.
 *
 * Units of the values returned: °F, inHg, mph, W/m², UV index, centibar for
 * soil moisture, 0-15 for leaf wetness, feet for the elevation. Rain (rates,
 * totals, evapotranspiration and rain thresholds) comes in the unit that
 * the agent's "× 20" turns into millimetres for the console's own rain
 * collector: one unit is 20 mm (a 0.2 mm click is 0.01, a 0.01 in click is
 * 0.0127, a 0.1 mm click is 0.005). Rates are per hour.
 *
 * A sensor or threshold that the console reports as absent or not set comes
 * back as VP_NO_DATA (-32768, also -32768.0f on the Float operations).
 *
 * Texts written into a caller's buffer never exceed VP_TEXT_MAX bytes,
 * terminator included, nor the length the caller gives.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VP_API __attribute__((visibility("default")))
#else
#define VP_API
#endif

/* ---- Result codes ------------------------------------------------------- */
#define VP_OK 1
#define VP_NO_DATA (-32768)        /* absent sensor, threshold not set */
#define VP_ERR_COMM (-32701)       /* no answer, failed exchange, link not open */
#define VP_ERR_OPEN (-32703)       /* the port cannot be opened */
#define VP_ERR_NEEDS_LOAD (-32704) /* the matching load has not succeeded yet */
#define VP_ERR_BAD_ID (-32705)     /* unknown data identifier */
#define VP_ERR_TOO_SMALL (-32706)  /* the caller's buffer cannot hold the text */
#define VP_ERR_BAD_PARAM (-32707)  /* an argument out of range, a null pointer */

/* Largest text any operation writes, terminator included. */
#define VP_TEXT_MAX 350

/* ---- Records filled by the library ---------------------------------------
 * All little-endian, at the byte positions given.
 */

/* Date and time: five 32-bit fields; -1 marks an unknown part. */
typedef struct VantageDateTime {
  int32_t Minute;
  int32_t Hour;
  int32_t Day;
  int32_t Month; /* 1-12 */
  int32_t Year;  /* four digits */
} VantageDateTime;

/*
 * Position (GetVantageLat_V / GetVantageLon_V, room 20 bytes, 16 written):
 *   0  u16   0
 *   4  float signed degrees (negative: south or west)
 *   8  u16   1 when south or west, else 0
 *   10 u16   whole degrees of the absolute value
 *   12 u16   minutes
 *   14 u16   seconds
 * Time-zone settings (GetTimeZoneSettings_V, 12 bytes):
 *   0  u16   1 when the console uses its time-zone list, 0 when a GMT offset
 *   2  u16   time-zone index
 *   4  float GMT offset, hours
 *   8  u16   1 when daylight saving is automatic
 *   10 u16   1 when daylight saving is on (manual mode)
 * Reception statistics (GetReceptionData_V, 20 bytes), five s32:
 *   packets received, packets missed, resynchronisations, longest run of
 *   packets without error, CRC errors.
 * Barometer data (GetBarometerData_V, 28 bytes):
 *   0  s32   latest barometer reading, inHg × 1000
 *   4  s32   elevation, feet
 *   8  s32   dew point used by the reduction, °F
 *   12 s32   virtual temperature, °F
 *   16 s32   humidity correction factor
 *   20 s32   correction ratio × 1000
 *   24 float barometer offset (calibration), inHg
 * Transmitter configuration (GetVantageTxConfig_V, 56 bytes):
 *   0, 4 ... 24   s32 kind of transmitter ID 1-7:
 *       0 none, 1 main sensor suite, 2 temperature, 3 humidity or
 *       temperature/humidity, 4 main suite sending as a temperature
 *       station, 5 main suite sending as a temperature/humidity station
 *       (station type 1 or 2-3 at the main suite's period code 1),
 *       7 anemometer, 8 leaf, 9 soil, 10 soil/leaf,
 *       11 data link, 12 the console retransmits on this ID,
 *       13 rain collector station (no name in the agent's table)
 *   28, 32 ... 52 s32 the station ID the transmitter sends on (the ID itself),
 *       0 when off
 * Calibration (LoadVantageCalibration_V, 20 bytes):
 *   0  s16   inside temperature offset, 0.1 °F
 *   2  s16   outside temperature offset, 0.1 °F
 *   4  s16   wind direction offset, degrees
 *   10 float inside temperature offset as 32 + offset in °F (32 = no
 *            correction), so that a °F to °C conversion gives the offset in °C
 *   14 float outside temperature offset, same form
 *   18 u8    inside humidity offset, % (two's complement)
 *   19 u8    outside humidity offset, % (two's complement)
 * Wind direction offset (GetWindDirCalibrationOffset_V, 4 bytes): s32
 *   degrees (its low 16 bits read as s16 give the same value).
 */

/* ---- Data identifiers -----------------------------------------------------
 * id = sensor × 0x1000000 + quantity + period.
 * Sensors for temperatures (quantity 0): 0 outside, 1 inside, 2-8 extra 1-7,
 * 9-12 soil 1-4, 15-18 leaf 1-4. Humidities: 0 outside, 1 inside, 2-8 extra.
 * Soil moistures: 9-12. Leaf wetnesses: 15-18 (3 and 4 never valid).
 */
#define VP_QTY_TEMPERATURE 0x0
#define VP_QTY_DEW_POINT 0x1
#define VP_QTY_WIND_CHILL 0x2
#define VP_QTY_HEAT_INDEX 0x3
#define VP_QTY_THW 0x4
#define VP_QTY_THSW 0x5
#define VP_QTY_ET 0x4D
#define VP_QTY_HUMIDITY 0x101C0
#define VP_QTY_WIND_SPEED 0x20080 /* sensor 0 now, 1 10-min avg, 25 2-min avg, 26 10-min gust */
#define VP_QTY_WIND_DIR 0x300C0   /* sensor 0 now (text: compass code), 26 gust direction */
#define VP_QTY_BAROMETER 0x400E0  /* sensor 0 barometer, 2 station elevation (feet) */
#define VP_QTY_BAR_TREND 0x402A0  /* number: signed trend code; text: "Rising"... */
#define VP_QTY_RAIN 0x50040       /* with a total period below */
#define VP_QTY_RAIN_RATE 0x60060
#define VP_QTY_SOLAR 0x70140
#define VP_QTY_UV 0x80180
#define VP_QTY_SOIL_MOISTURE 0x901E0
#define VP_QTY_LEAF_WETNESS 0xA0200
#define VP_QTY_CONSOLE 0xC0220 /* console values, by sensor: see below */

/* Periods of records (GetHiLowDataByID_V / GetHiLowTimeByID_V). */
#define VP_PERIOD_DAY_HIGH 0x1000
#define VP_PERIOD_DAY_LOW 0x1800
#define VP_PERIOD_MONTH_HIGH 0x2800
#define VP_PERIOD_MONTH_LOW 0x3000
#define VP_PERIOD_YEAR_HIGH 0x4C00
#define VP_PERIOD_YEAR_LOW 0x5000
/* Totals of current data (rain and ET). */
#define VP_PERIOD_DAY_TOTAL 0x2400
#define VP_PERIOD_MONTH_TOTAL 0x5800
#define VP_PERIOD_YEAR_TOTAL 0x5C00
#define VP_PERIOD_LAST_HOUR 0x6C00
#define VP_PERIOD_LAST_24_HOURS 0x7000
#define VP_PERIOD_STORM 0x1C00
#define VP_PERIOD_LAST_15_MIN 0x6800

/* Console values (quantity VP_QTY_CONSOLE). */
#define VP_ID_CONSOLE_VOLTAGE 0x90C0220   /* volts; text "4.80" */
#define VP_ID_TX_BATTERY_STATUS 0xA0C0220 /* bit k: transmitter k+1 battery low */
#define VP_ID_REPEATER_STATUS 0xB0C0220   /* no repeater data on this console family: 0 */
#define VP_ID_FORECAST_TEXT 0xC0C0220     /* text: English sentences, each + ". " */
#define VP_ID_FORECAST_ICON 0xD0C0220     /* the console's icon bits */
#define VP_ID_FORECAST_RULE 0xE0C0220     /* the console's forecast rule, 0-196 */
/* The console's own alarm bits of the current data: 1 active, 0 not. */
#define VP_ID_ALARM_BAR_FALLING 0x140C0220
#define VP_ID_ALARM_BAR_RISING 0x150C0220
#define VP_ID_ALARM_FLASH_FLOOD 0x160C0220
/* The alarm bytes whole: inside (bit 0 falling, 1 rising, ...), rain (bit 1
 * flash flood, ...), outside (16 bits). */
#define VP_ID_ALARMS_INSIDE 0x170C0220
#define VP_ID_ALARMS_RAIN 0x180C0220
#define VP_ID_ALARMS_OUTSIDE 0x190C0220

/* ---- Links ----------------------------------------------------------------- */
/* Serial port n is /dev/ttyS<n-1>; raw 8N1 at `baud`. */
VP_API int16_t OpenCommPort_V(int32_t port, int32_t baud);
/* A serial device by path (USB-serial adapter, pseudo-terminal). */
VP_API int16_t OpenCommPortByName_V(const char* path, int32_t baud);
/* TCP: the port text first, then the host address. Connect within 4 s. */
VP_API int16_t OpenTCPIPPort_V(const char* port, const char* address);
/* The USB logger whose USB serial number is `serial`, at 19200 baud. */
VP_API int16_t OpenUSBPort_V(int32_t serial);
/* Each closes the link if it is of its kind; always 1. */
VP_API int16_t CloseCommPort_V(void);
VP_API int16_t CloseTCPIPPort_V(void);
VP_API int16_t CloseUSBPort_V(void);
/* Long: serial number of the first USB logger found (ordered by tty name),
 * VP_ERR_OPEN when none. Searched in the sysfs tree, whose root is
 * SetSysfsRoot_V's, else $TV_SYSFS_ROOT, else /sys. */
VP_API int32_t GetUSBDevSerialNumber_V(void);
/* Overrides the sysfs root (NULL or "" restores the default). */
VP_API void SetSysfsRoot_V(const char* root);

/* ---- Console -------------------------------------------------------------- */
/* Wakes the console, reads its model and its set-up (rain collector, wind
 * cup, position, transmitters, calibration). */
VP_API int16_t InitStation_V(void);
/* 1 when the console answers the LOOP2 request, 0 when not, VP_ERR_COMM
 * when it does not answer at all. */
VP_API int16_t IsNewLoopPackageSupported_V(void);
/* Diagnostics: bytes sent plus received on the current link (0 when none). */
VP_API int64_t GetLinkBytesExchanged_V(void);

/* ---- Loads ------------------------------------------------------------------ */
VP_API int16_t LoadCurrentVantageData_V(void); /* one LOOP and one LOOP2 */
VP_API int16_t LoadVantageHiLows_V(void);      /* one HILOWS */
VP_API int16_t LoadVantageAlarms_V(void);      /* the alarm thresholds */
VP_API int16_t LoadVantageCalibration_V(void* record20);

/* ---- Current values (after LoadCurrentVantageData_V) ------------------------ */
VP_API float GetOutsideTemp_V(void);
VP_API float GetInsideTemp_V(void);
VP_API float GetDewPt_V(void);
VP_API float GetWindChill_V(void);
VP_API float GetBarometer_V(void);
VP_API float GetWindSpeed_V(void);
VP_API float GetRainRate_V(void);
VP_API float GetDailyRain_V(void);
VP_API float GetMonthlyRain_V(void);
VP_API float GetStormRain_V(void);
VP_API float GetTotalRain_V(void); /* the year's rain */
VP_API int16_t GetInsideHumidity_V(void);
VP_API int16_t GetOutsideHumidity_V(void);
VP_API int16_t GetWindDir_V(void); /* degrees 1-360 */

/* The value of a data identifier. Returns it at once as a float and as a
 * 16-bit integer (rounded), so that it can be called through either result
 * kind: on x86-64 the float is in xmm0 and the integer in eax. */
VP_API float GetCurrentDataByID_V(int32_t id);
/* The text of a data identifier in `buffer` (at most `length` bytes with
 * the terminator, and at most VP_TEXT_MAX). Maximum lengths: wind direction
 * 4 ("NNE"), trend 16 ("Falling Rapidly"), console voltage 8, battery and
 * repeater status 12, forecast text 350; any numeric identifier 16. */
VP_API int16_t GetCurrentDataStrByID_V(int32_t id, char* buffer, int32_t length);

/* ---- Records of the day, month and year (after LoadVantageHiLows_V) -------- */
VP_API float GetHiLowDataByID_V(int32_t id);
/* Time of a day record; other periods give VP_ERR_BAD_ID. */
VP_API int16_t GetHiLowTimeByID_V(int32_t id, VantageDateTime* time);

/* ---- Alarm thresholds (after LoadVantageAlarms_V) ---------------------------- */
VP_API float GetBarRiseAlarm_V(void); /* inHg per 3 hours */
VP_API float GetBarFallAlarm_V(void);
VP_API float GetInsideLowTempAlarm_V(void);
VP_API float GetInsideHiTempAlarm_V(void);
VP_API float GetOutsideLowTempAlarm_V(void);
VP_API float GetOutsideHiTempAlarm_V(void);
VP_API float GetLowWindChillAlarm_V(void);
VP_API float GetLowDewPtAlarm_V(void);
VP_API float GetHiDewPtAlarm_V(void);
VP_API float GetHiOutsideHumAlarm_V(void);
VP_API float GetLowOutsideHumAlarm_V(void);
VP_API float GetHiRainRateAlarm_V(void);
VP_API float GetHiDailyRainAlarm_V(void); /* rain of the last 24 hours */
VP_API float GetHiRainStormAlarm_V(void);
VP_API float GetFlashFloodAlarm_V(void); /* rain of the last 15 minutes */
VP_API float GetHiUVAlarm_V(void);
VP_API float GetHiUVMedAlarm_V(void);
VP_API int16_t GetLowInsideHumAlarm_V(void);
VP_API int16_t GetHiInsideHumAlarm_V(void);
VP_API int16_t GetHiSolarRadAlarm_V(void);
VP_API int16_t GetHiWindSpeedAlarm_V(void);
VP_API int16_t GetHi10MinWindSpeedAlarm_V(void);
VP_API int16_t GetHiHeatIndexAlarm_V(void);
VP_API int16_t GetHiTHSWAlarm_V(void);
/* Sensor 2-8: extra sensors 1-7. */
VP_API float GetLowExtraTempAlarm_V(int32_t sensor);
VP_API float GetHiExtraTempAlarm_V(int32_t sensor);
VP_API float GetLowExtraHumAlarm_V(int32_t sensor);
VP_API float GetHiExtraHumAlarm_V(int32_t sensor);
/* Sensor 1-4. */
VP_API float GetLowSoilTempAlarm_V(int32_t sensor);
VP_API float GetHiSoilTempAlarm_V(int32_t sensor);
VP_API float GetLowSoilMoistureAlarm_V(int32_t sensor);
VP_API float GetHiSoilMoistureAlarm_V(int32_t sensor);
VP_API float GetLowLeafTempAlarm_V(int32_t sensor);
VP_API float GetHiLeafTempAlarm_V(int32_t sensor);
/* Sensor 1-2. */
VP_API float GetLowLeafWetAlarm_V(int32_t sensor);
VP_API float GetHiLeafWetAlarm_V(int32_t sensor);
/* Long: hour × 100 + minute, VP_NO_DATA when not set. */
VP_API int32_t GetTimeAlarm_V(void);
/* "HH:MM", or "-32768" when not set; at most 7 bytes. */
VP_API int16_t GetTimeAlarmStr_V(char* buffer);

/* ---- Configuration -------------------------------------------------------------- */
VP_API int16_t GetModelNo_V(void);       /* 16 Pro / Pro2, 17 Vue */
VP_API int16_t GetWindCupSize_V(void);   /* 1 large, 2 small */
VP_API int16_t GetArchivePeriod_V(void); /* minutes */
/* Firmware version ("1.90"); on failure the decimal result code. At most 16 bytes. */
VP_API int16_t GetStationFirmwareVersion_V(char* buffer);
/* Firmware date; its hour and minute are 0. */
VP_API int16_t GetStationFirmwareDate_V(VantageDateTime* date);
VP_API int16_t GetStationTime_V(VantageDateTime* time);
/* Today's sunrise and sunset (after LoadCurrentVantageData_V). */
VP_API int16_t GetSunriseTime_V(VantageDateTime* time);
VP_API int16_t GetSunsetTime_V(VantageDateTime* time);
VP_API int16_t GetTimeZoneSettings_V(void* record12);
VP_API int16_t GetReceptionData_V(void* record20);
VP_API int16_t GetVantageLat_V(void* record20);
VP_API int16_t GetVantageLon_V(void* record20);
VP_API int16_t GetBarometerData_V(void* record28);
VP_API int16_t GetVantageTxConfig_V(void* record56);
/* Long: status; the offset is written to `offset4`. */
VP_API int32_t GetWindDirCalibrationOffset_V(void* offset4);

/* ---- Archive (the console's memory of past intervals) ----------------------
 * One archive record, decoded, in the units above (°F, inHg, mph, W/m², UV
 * index, rain and ET in the "× 20 mm" unit, rain rate per hour). Every value
 * the console dashed comes back as VP_NO_DATA, never as a number.
 * Stamp is the console's local time, as it wrote it (no daylight-saving
 * flag); DateStamp and TimeStamp are the two raw words of the record.
 * Wind directions are degrees (0, 22.5 ... 337.5).
 */
typedef struct VantageArchiveRecord {
  VantageDateTime Stamp;
  int32_t DateStamp; /* day + month * 32 + (year - 2000) * 512 */
  int32_t TimeStamp; /* hour * 100 + minute */
  int32_t Revision;  /* 'B' (66) or 'A' (65) */
  float OutsideTemp; /* average over the interval */
  float HiOutsideTemp;
  float LowOutsideTemp;
  float InsideTemp;
  float Barometer;
  float Rain;       /* rain in the interval */
  float HiRainRate; /* per hour */
  float SolarRad;   /* average */
  float HiSolarRad;
  float UV; /* average */
  float HiUV;
  float ET;           /* in the interval */
  float AvgWindSpeed; /* VP_NO_DATA when the interval had no wind samples */
  float HiWindSpeed;
  float HiWindDir;         /* degrees */
  float PrevailingWindDir; /* degrees */
  int32_t WindSamples;
  int32_t InsideHum;  /* % */
  int32_t OutsideHum; /* % */
  int32_t ForecastRule;
  float LeafTemp[2];
  float LeafWetness[2];
  float SoilTemp[4];
  float SoilMoisture[4]; /* centibar */
  float ExtraTemp[3];
  float ExtraHum[2];
} VantageArchiveRecord;

/* One page of a download, handed to the sink as soon as it is received and
 * checked (and before it is acknowledged to the console). */
typedef struct VantageArchivePage {
  int32_t Index;       /* 0 for the first page of this download */
  int32_t Pages;       /* pages the console announced */
  int32_t Status;      /* VP_OK, or VP_ERR_CRC: the page kept failing its CRC and was skipped */
  int32_t WholeMemory; /* 1 when the console did not find the stamp and sends its whole memory */
  int32_t Count;       /* new records decoded into Records, oldest first */
  int32_t Undecoded;   /* records of this page skipped: unknown type, impossible stamp */
  VantageArchiveRecord Records[5];
} VantageArchivePage;

/* Return 0 to receive the next page, anything else to end the download
 * (the console is sent ESC). The sink runs on the caller's thread while the
 * download holds the link: it must not call the library. */
typedef int32_t (*VantageArchiveSink)(void* context, const VantageArchivePage* page);

#define VP_ERR_CRC (-32708) /* a block kept failing its CRC */

/* Downloads the records newer than `after` (NULL: the whole memory) with
 * DMPAFT, calling `sink` once per page. VP_OK when every announced page was
 * received or the sink ended the download; VP_ERR_COMM when the link failed
 * in the middle (the pages already handed over stay valid); the same
 * forgetting of a dead link as every other operation. Each page waits at
 * most its wire time plus the block margin. */
VP_API int16_t DownloadArchive_V(const VantageDateTime* after, VantageArchiveSink sink,
                                 void* context);

/* Sets the console's clock (SETTIME) to the local time `time` and `second`.
 * VP_OK; VP_ERR_REFUSED when the console answers NAK; VP_ERR_COMM. */
#define VP_ERR_REFUSED (-32709)
VP_API int16_t SetStationTime_V(const VantageDateTime* time, int32_t second);

#ifdef __cplusplus
}
#endif
