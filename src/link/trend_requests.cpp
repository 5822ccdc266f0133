// Trend samples: one more kind of request of the idle tick, after a waiting Control & Query command
// and before the view's poll. A sample's reply goes to the trend and nowhere else; an error prompt
// or a time-out leaves the link's own handling as it is, and the sample becomes a gap when its
// exchange ends (endExchange).

#include "link/link_engine.h"
#include "platform/platform.h"
#include "state/main_window_form.h"

namespace kestrix {

bool LinkEngine::trendSampleDue() {
    if (!trendSampler) return false;
    const Form1& f = ctx_.forms.form1;
    const LinkState& s = ctx_.state;
    if (f.demoMode.checked || f.disableUpdates.checked || s.downloadPrep || s.queryGroup != 0) return false;
    return trendSampler->due(ctx_.platform.clock.utcSeconds());
}

// While the trend holds the view's polls, a poll goes out only when the sampler says it fits
// before the next round; the sampler is told when one does, to learn how long it takes.
bool LinkEngine::trendLetsViewPoll() {
    if (!trendSampler) return true;
    const double now = ctx_.platform.clock.utcSeconds();
    if (!trendSampler->viewMayPoll(now)) return false;
    trendSampler->viewPolled(now);
    return true;
}

void LinkEngine::sendTrendSample() {
    const std::string query = trendSampler->start(ctx_.platform.clock.utcSeconds());
    writeLine(query);
    setEchoSkip(query);
    v_.timeoutSeconds = 6;
    v_.exchangeStart = now();
    ctx_.forms.form1.Label1.caption = "sending: " + query;
    awaitReply({ExchangeKind::TrendSample});
}

// A sample's exchange ended: one not answered by its reply (and not already given up when the
// port went away) becomes a gap.
void LinkEngine::endTrendSample() {
    if (trendSampler && trendSampler->awaiting()) trendSampler->failed();
}

void LinkEngine::takeTrendReply() {
    v_.consecutiveErrors = 0;
    ctx_.forms.form1.Label1.caption = "Received response";
    if (trendSampler && trendSampler->awaiting()) trendSampler->received(replyWithoutPrompt());
}

}  // namespace kestrix
