#pragma once

// Faults a test can switch on for one simulated controller. Counters run down as they act.
struct SimFaults
{
    int dropReplies = 0;           // the next N reads of 0xFFF1 get no answer at all
    int lateReplies = 0;           // the next N reads are answered only when the next frame is
                                   // written, just before that frame's own answers
    int dropConfirmations = 0;     // the next N frames are taken but their write is never confirmed
    int notReadyReads = 0;         // the next N block reads lack the marker, upload acks lack bit 1
    int blocksOutOfOrder = 0;      // the next N block reads serve the block after the expected one
    int disconnectAfterFrames = 0; // N > 0: the link drops right after the Nth frame written from now
    int shortStatus = 0;           // the next N status records (the value cached at discovery or a
                                   // GetStatus reply) come cut short, as after a failed read
    bool refuseNextSignIn = false; // the next sign-in is refused whatever it carries
    int replyDelayMs = 0;          // every answer of the link comes this much later
    bool stallServiceDiscovery = false; // service discovery never finishes
    bool stallDetailsDiscovery = false; // details discovery of a service never finishes
};
