#include "gadget/alerts/link_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tv {
namespace {

TEST(LinkWatch, SaysOnceWhenLostAndOnceWhenRestored) {
  // Cycles: 'a' answered, 'f' failed (link closed or never opened), 'i' idle
  // (nothing was due, the link still open). Changes: 'L' lost, 'R' restored.
  struct Row {
    const char* legend;
    std::string cycles;
    std::string changes;
  };
  const Row rows[] = {
      {"two failed rounds say nothing", "aff", "..."},
      {"the third says lost, the following nothing", "affffff", "...L..."},
      {"the first answer after says restored, once", "afffaaa", "...LR.."},
      {"never answered since the start: lost", "fff", "..L"},
      {"an answer between failures starts the count afresh", "ffaffaff", "........"},
      {"idle cycles neither count nor restore", "ffiifiia", "....L..R"},
      {"lost and restored again", "fffafffa", "..LR..LR"},
  };
  for (const Row& row : rows) {
    LinkWatch watch;
    std::string changes;
    for (char c : row.cycles) {
      switch (watch.AfterCycle(c == 'a', c == 'i')) {
        case LinkWatch::Change::kLost:
          changes += 'L';
          break;
        case LinkWatch::Change::kRestored:
          changes += 'R';
          break;
        case LinkWatch::Change::kNone:
          changes += '.';
          break;
      }
    }
    EXPECT_EQ(changes, row.changes) << row.legend;
  }
}

}  // namespace
}  // namespace tv
