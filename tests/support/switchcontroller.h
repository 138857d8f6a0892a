#pragma once

#include "e2efixture.h"

// Ends the link to `from` (when signed in) and signs in to `to` with the account grower /
// green42, up to the first configuration decoded. `from` stays out of range until `to` is
// offered: the form keeps a controller shown while scans still see it.
inline bool signInToController(E2EFixture &f, SimulatedController *from, SimulatedController *to)
{
    f.transport->setScanOrder({to, from});
    if (exchange().linkState == LinkState::SignedIn) {
        from->faults().disconnectAfterFrames = 1;
        if (!f.tickUntil([] { return exchange().linkState == LinkState::Discovering; }, 100))
            return false;
    }
    if (from != to)
        f.transport->setInRange(from, false);
    bool offered = false;
    for (int run = 0; run < 5 && !offered; ++run) {
        offered = f.tickUntil([&f, to] { return f.window->link()->currentAddress() == to->address(); }, 5);
        if (!offered)
            f.transport->finishScan();
    }
    const bool signedIn = offered && f.signIn(QStringLiteral("grower"), QStringLiteral("green42")) && f.reachIdle();
    f.transport->setInRange(from, true);
    return signedIn;
}
