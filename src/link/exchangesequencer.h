#pragma once

#include "model/configimage.h"

#include <QByteArray>
#include <QList>
#include <functional>

class CommandChannel;
class QWidget;

// What the sequencer needs from the pages around it. The pages read the model state themselves;
// these calls only say when to.
class SequencerView
{
public:
    virtual ~SequencerView() = default;
    virtual QWidget *noteParent() = 0;
    virtual void setScenarioButtonVisible(bool visible) = 0;
    // A configuration image was decoded into the state (or the state fell back to the base
    // scenario): tiles, navigation panel, work-cycle page and editor show it.
    virtual void configurationTaken(const DecodeResult &result, bool fallback) = 0;
    // A status record arrived; running and kind are the navigation panel's status;
    // buttonVisibility is -1 (leave), 0 (hide) or 1 (show) for the start/pause button.
    virtual void statusTaken(const QByteArray &status, int running, int kind, int buttonVisibility) = 0;
    virtual void dayBarChanged(const QList<int> &dayStates, int remainingDays) = 0;
    virtual void logTaken(const QByteArray &log) = 0;
    // The editor must hand its relay outputs to the state before an upload.
    virtual void refreshEditorForUpload() = 0;
};

// The exchange steps of the 100 ms tick while signed in: reads and decodes the configuration,
// writes changed configurations back with read-back and commit, switches outputs, sets the clock,
// reads the log and polls the status, one command at a time.
class ExchangeSequencer
{
public:
    ExchangeSequencer(CommandChannel *channel, SequencerView *view);

    // Step timeouts; called every tick before the page requests.
    void timeoutTick();
    // One exchange step; called every tick while signed in.
    void step();
    // The link is gone: an upload that was not confirmed yet is repeated after the next sign-in.
    void linkLost();

    // Called with each image body the controller holds: read from it (not a loaded file or a
    // restored snapshot), and written to it once its read-back matched, as CommitImage goes out.
    std::function<void(const QByteArray &body)> imageRead;
    std::function<void(const QByteArray &body)> imageWritten;

private:
    void stepStart();
    void stepImageRead();
    void takeImage();
    void stepStatusReceived();
    void stepIdle();
    void startImageRead();
    bool startUpload();
    void updateDayBar(int remainingDays);

    CommandChannel *m_channel;
    SequencerView *m_view;
    bool m_uploadUnconfirmed = false;
};
