#pragma once

// Control channel of the console simulator.
//
// The simulator listens on a second TCP port of 127.0.0.1 (printed at start as
// "control 127.0.0.1:PORT"). Any number of clients may connect at once. Each
// request is one line of ASCII words separated by blanks and ended by LF (a CR
// before it is ignored). Each reply is exactly one line ended by LF:
//
//   OK [text]         the request was carried out; text depends on the request
//   ERR <message>     it was not (unknown request, unknown name, bad number)
//
// Requests
//
//   PING                        OK pong
//   GET <name>                  OK <value>           one value, see "Names" below
//   SET <name> <value>          OK                   pins the value: the model no longer moves it
//                                                    until UNSET; "--" pins it dashed (no data)
//   UNSET <name> | UNSET ALL    OK                   the model drives the value again
//   DUMP                        OK name=value name=value ...   every current value, one line
//   DUMP HILOWS                 OK name=value ...    every high/low value
//   CLOCK                       OK YYYY-MM-DD HH:MM:SS          the console clock (local time)
//   CLOCK <YYYY-MM-DD> <HH:MM:SS> OK                 sets the console clock; it then runs on
//   RATE <factor>               OK                   console clock speed relative to the host
//   STEP <seconds>              OK                   moves the console clock and the model
//                                                    forward by that much simulated time now
//   HOLD ON | HOLD OFF          OK                   ON: the model stops moving by itself (the
//                                                    clock still runs); values change only by
//                                                    SET or STEP. Tests compare packets with
//                                                    read-backs under HOLD ON.
//   FAULT <kind> [arg]          OK                   switches a fault on (see "Faults")
//   FAULT <kind> OFF            OK                   switches it off
//   FAULT CLEAR                 OK                   switches every fault off
//   FAULTS                      OK silent=0|1 stop_after=N bad_crc=N garbage=N drop_mid=0|1 slow=MS
//                                                    the faults still pending (a counted fault
//                                                    counts down; stop_after -1 is off), so a
//                                                    test can tell when one has run its course
//   EE <addr hex> <count hex>   OK <hex bytes>       EEPROM read, e.g. "OK 05 FA 0E"
//   EESET <addr hex> <hex>...   OK                   EEPROM write of bytes, e.g. "EESET 54 CB 02"
//   STATS                       OK connections=N commands=N bytes_in=N bytes_out=N client=0|1
//   FAULTS ARCHIVE              OK bad_page=N dead_page=N drop=N stamp_miss=0|1 settime_nak=0|1
//                               clock_ahead=S dst_changes=N   the archive and clock faults
//   ARCHIVE                     OK records=N period=MIN [oldest=YYYY-MM-DDTHH:MM newest=...]
//   ARCHIVE GET <i> [n]         OK <record>;<record>...  n records (default 1) from the i-th
//                                                    (0 = the oldest): "empty" for a slot never
//                                                    written, else "date=YYYY-MM-DD time=HH:MM
//                                                    type=0 out_temp=.. hi_out_temp low_out_temp
//                                                    in_temp barometer rain hi_rain_rate solar
//                                                    hi_solar uv hi_uv et wind_samples avg_wind
//                                                    hi_wind hi_wind_dir prevailing_dir in_hum
//                                                    out_hum forecast_rule leaf_temp1..2
//                                                    leaf_wet1..2 extra_hum1..2 soil_temp1..4
//                                                    soil_moist1..4 extra_temp1..3" in the units
//                                                    the record stores (°F, inHg, rain clicks,
//                                                    inches of ET, mph) but directions in degrees
//   ARCHIVE CLEAR               OK                   empties the memory (as CLRLOG)
//
// The archive memory: a ring of 2560 records (512 pages of 5). Unless started with
// --archive-empty it holds, when first used, the 2560 records of the intervals before the start
// time (a second model run from 2560 intervals earlier), the oldest at the start of the ring.
// The model adds one record at the end of each interval of EEPROM ARCHIVE_PERIOD as its clock
// advances (RATE and STEP included), stamped with the console's clock (see CLOCK_AHEAD and
// DST_* below); SETPER and CLRLOG empty it. DMPAFT finds the first record carrying the stamp
// and sends the records after it, or the whole memory from the oldest record when none does.
//
// Faults (each applies to the console ports, TCP and pseudo-terminal alike)
//
//   SILENT                  the console never wakes: nothing is answered, not even a LF
//   STOP_AFTER <n>          after n more commands (wake-ups not counted) nothing is answered
//   BAD_CRC <n>             the next n CRC-carrying blocks go out with a wrong CRC (a LOOP/LPS
//                           run counts one per packet); a NAK resend counts as a new block
//   GARBAGE <n>             the next reply is replaced by n bytes of noise (never LF CR)
//   DROP_MID                the next binary reply stops after half its bytes and the TCP
//                           connection is closed (on the pseudo-terminal: the rest is never sent)
//   SLOW <ms>               every byte sent waits that many milliseconds first
//   ARCHIVE_BAD_PAGE <n>    page n (0 = the first) of the next download goes out once with a bad
//                           CRC; the NAK gets it again, good
//   ARCHIVE_DEAD_PAGE <n>   page n of every download goes out with a bad CRC, resends included
//   ARCHIVE_DROP <n>        the link drops in the middle of page n of the next download (TCP:
//                           closed; pseudo-terminal: the rest is never sent)
//   ARCHIVE_STAMP_MISS      the next DMPAFT does not find its stamp: the whole memory is sent
//   ARCHIVE_HOLE <i>        record i of the memory (0 = the oldest) becomes a slot never written
//   ARCHIVE_UNKNOWN <i>     record i gets an unknown record type (0x5A)
//   ARCHIVE_REV_A <i>       record i gets the record type of the older layout (0xFF)
//   SETTIME_NAK             SETTIME's time block is answered NAK and the clock is left alone
//   CLOCK_AHEAD <s>         the console's clock (GETTIME, CLOCK, archive stamps) runs s seconds
//                           ahead; the model keeps its time. SETTIME clears it
//   DST_BACK <YYYY-MM-DDTHH:MM:SS>     from that time on the console's clock, it shows one hour
//                           less (the autumn hour repeats in the archive stamps)
//   DST_FORWARD <YYYY-MM-DDTHH:MM:SS>  from then on it shows one hour more (the spring hour
//                           does not exist); OFF or SETTIME removes every such change
//   (FAULT CLEAR switches these off too; the record changes stay.)
//
// Names (values in the units the console packets carry, decimal point ".")
//
//   Current values (LOOP / LOOP2):
//     barometer bar_raw bar_abs altimeter bar_offset bar_cal       inHg
//     bar_trend      signed code -60 -20 0 20 60 (other values: not enough history)
//     bar_reduction  0 user offset, 1 altimeter, 2 sea level
//     inside_temp outside_temp                                     °F, 0.1
//     extra_temp1..7 soil_temp1..4 leaf_temp1..4                  °F, whole
//     dew_point heat_index wind_chill thsw                         °F, whole
//     inside_hum outside_hum extra_hum1..7                         %
//     wind_speed wind_gust10                                       mph, whole
//     wind_avg10 wind_avg2                                         mph, 0.1 (LOOP: whole)
//     wind_dir wind_gust10_dir                                     degrees 1–360
//     rain_rate                                                    clicks/hour
//     storm_rain day_rain month_rain year_rain                     clicks
//     rain_15min rain_1h rain_24h                                  clicks
//     storm_start                                                  YYYYMMDD, "--" without storm
//     day_et                                                       inches, 0.001
//     month_et year_et                                             inches, 0.01
//     uv             UV index, 0.1
//     solar          W/m²
//     soil_moist1..4 centibar;  leaf_wet1..4  0–15
//     alarm_inside alarm_rain alarm_outside alarm_extra0..7 alarm_soilleaf1..4   bit fields
//     tx_battery     bitmap, bit 0 = transmitter ID 1 low
//     console_battery volts, 0.01
//     forecast_icons bitmap; forecast_rule 0–196
//     sunrise sunset hour × 100 + minute
//     archive_pointer
//   Highs and lows (HILOWS), "hl.<quantity>.<slot>":
//     quantity: barometer wind_speed inside_temp inside_hum outside_temp dew_point wind_chill
//               heat_index thsw solar uv rain_rate extra_temp1..7 soil_temp1..4 leaf_temp1..4
//               outside_hum extra_hum1..7 soil_moist1..4 leaf_wet1..4
//     slot: day_low day_high day_low_time day_high_time month_low month_high year_low
//           year_high hour_high (rain_rate only); times are hour × 100 + minute
//   Console:
//     model          16 Pro/Pro2, 17 Vue (the WRD answer)
//     ver            firmware date text, e.g. "Apr 24 2012";  nver  e.g. "3.12"
//     rx_total rx_missed rx_resync rx_longest rx_crc_errors    the RXCHECK numbers
//     bd.bar bd.elevation bd.dew_point bd.virtual_temp bd.c bd.r bd.barcal bd.gain bd.offset
//                    the BARDATA integers as sent
//     ee.<FIELD>     an EEPROM setting by its name in protocol/eeprom_map.cpp (LATITUDE,
//                    SETUP_BITS, ALARM_LOW_TEMPS, ...), raw integers as stored, arrays
//                    comma-separated; may be SET as well (same form)
//   A dashed (no data) value reads "--".

namespace tv::sim {

inline constexpr char kControlOk[] = "OK";
inline constexpr char kControlErr[] = "ERR";

}  // namespace tv::sim
