#pragma once

#include <functional>

class ExchangeSequencer;
class LinkController;
class LinkNotes;

// The body of the 100 ms tick after the carousel: the start-up delay, the re-entrancy guard,
// deferred notices, step timeouts, page requests, note closing, then one connection step or one
// exchange step. Widget-free, so the link runs whole in tests without a window.
class ExchangeTick
{
public:
    ExchangeTick(LinkController *link, ExchangeSequencer *sequencer, LinkNotes *notes);

    // Acts on exchange().pageRequest once per tick (the application's page routing).
    void setPageRequestHandler(std::function<void()> handler) { m_pageRequests = std::move(handler); }

    // One tick. False when it did nothing (start-up delay, or a tick already running).
    bool run();

private:
    LinkController *m_link;
    ExchangeSequencer *m_sequencer;
    LinkNotes *m_notes;
    std::function<void()> m_pageRequests;
};
