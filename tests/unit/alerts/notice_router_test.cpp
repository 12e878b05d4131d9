#include "gadget/alerts/notice_router.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace tv {
namespace {

// Runs a script of events through a router and writes what it decided, one
// word per action: "send:TEXT>ID" (the id replaced), "fallback:TEXT".
// Events: "up", "down", "info:TEXT", "alert:TEXT", "ok:TICKET=ID" (the
// call answered), "gone:TICKET" (failed, service gone), "late:TICKET"
// (failed, maybe delivered).
std::string Decide(const std::vector<std::string>& script) {
  NoticeRouter router;
  std::ostringstream out;
  const auto record = [&](const NoticeActions& a) {
    for (const OutgoingNotice& n : a.send) {
      out << "send:" << n.balloon.text << ">" << n.replaces_id << "#" << n.ticket << " ";
    }
    for (const BalloonRequest& b : a.fallback) out << "fallback:" << b.text << " ";
  };
  for (const std::string& step : script) {
    const std::string what = step.substr(0, step.find(':'));
    const std::string arg = step.find(':') == std::string::npos ? "" : step.substr(what.size() + 1);
    if (what == "up") {
      record(router.ServiceAppeared());
    } else if (what == "down") {
      record(router.ServiceVanished());
    } else if (what == "info" || what == "alert") {
      record(router.Post(BalloonRequest::Make("T", arg, what == "info" ? 1 : 2, 5)));
    } else if (what == "ok") {
      const auto eq = arg.find('=');
      record(router.Delivered(std::stoull(arg.substr(0, eq)),
                              static_cast<std::uint32_t>(std::stoul(arg.substr(eq + 1)))));
    } else if (what == "gone" || what == "late") {
      record(router.Failed(std::stoull(arg), what == "gone" ? NoticeFailure::kNotDelivered
                                                            : NoticeFailure::kMaybeDelivered));
    }
  }
  out << "queued=" << router.Queued();
  return out.str();
}

TEST(NoticeRouter, EachBalloonReachesTheServiceOnceOrTheFallback) {
  struct Row {
    const char* legend;
    std::vector<std::string> script;
    std::string decided;
  };
  const Row rows[] = {
      {"a second alert replaces the first, an information stays apart",
       {"up", "alert:A", "ok:1=7", "alert:B", "info:I", "ok:2=7", "ok:3=8", "info:J"},
       "send:A>0#1 send:B>7#2 send:I>0#3 send:J>8#4 queued=0"},
      {"asked for while its kind's call is under way: sent with the id it returns, the newest only",
       {"up", "alert:A", "alert:B", "alert:C", "ok:1=5"},
       "send:A>0#1 send:C>5#2 queued=0"},
      {"no service: the fallback at once, then sent once when it comes",
       {"alert:A", "up", "ok:1=3", "down", "up"},
       "fallback:A send:A>0#1 queued=0"},
      {"while it is gone only the newest of a kind waits; the new owner knows no old id",
       {"up", "alert:A", "ok:1=9", "down", "alert:B", "alert:C", "info:I", "up"},
       "send:A>0#1 fallback:B fallback:C fallback:I send:I>0#2 send:C>0#3 queued=0"},
      {"gone during the call: shown in the fallback and sent again when it is back",
       {"up", "alert:A", "gone:1", "up", "ok:2=4"},
       "send:A>0#1 fallback:A send:A>0#2 queued=0"},
      {"gone during the call with a newer one waiting: both shown, the newer one sent",
       {"up", "alert:A", "alert:B", "gone:1", "up"},
       "send:A>0#1 fallback:A fallback:B send:B>0#2 queued=0"},
      {"the watch says gone before the reply: the waiting one shows in the fallback",
       {"up", "info:I", "info:J", "down", "ok:1=2", "up"},
       "send:I>0#1 fallback:J send:J>0#2 queued=0"},
      {"no reply in time: the fallback shows it, never sent twice",
       {"up", "alert:A", "late:1", "alert:B"},
       "send:A>0#1 fallback:A send:B>0#2 queued=0"},
  };
  for (const Row& row : rows) EXPECT_EQ(Decide(row.script), row.decided) << row.legend;
}

TEST(NoticeRouter, AlertsAreCriticalAndInformationNormal) {
  EXPECT_EQ(NoticeUrgency(NoticeKindOf(BalloonRequest::Make("T", "x", 2, 5))), 2);  // warning
  EXPECT_EQ(NoticeUrgency(NoticeKindOf(BalloonRequest::Make("T", "x", 3, 5))), 2);  // error
  EXPECT_EQ(NoticeUrgency(NoticeKindOf(BalloonRequest::Make("T", "x", 1, 5))), 1);  // information
  EXPECT_EQ(NoticeUrgency(NoticeKindOf(BalloonRequest::Make("T", "x", 0, 5))), 1);  // no icon
}

}  // namespace
}  // namespace tv
