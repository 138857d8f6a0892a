#pragma once

#include "model/codec/configimage.h"
#include "model/codec/statusrecord.h"
#include "model/daystate.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class CommandChannel;
class LinkNotes;

// The exchange steps of the 100 ms tick while signed in: reads and decodes the configuration,
// writes changed configurations back with read-back and commit, switches outputs, sets the clock,
// reads the log and polls the status, one command at a time.
// The pages connect to what it announces; it knows none of them.
class ExchangeSequencer : public QObject
{
    Q_OBJECT
public:
    ExchangeSequencer(CommandChannel *channel, LinkNotes *notes, QObject *parent = nullptr);

    // Step timeouts; called every tick before the page requests.
    void timeoutTick();
    // One exchange step; called every tick while signed in.
    void step();
    // The link is gone: what was read from the controller is forgotten; an upload that was not
    // confirmed yet is repeated after the next sign-in.
    void linkLost();
    // A plan the user chose (pendingPlan(): a loaded scenario file, a restored snapshot) is taken
    // as if read from the controller once the exchange is idle, whatever page requests come
    // meanwhile; called every tick before the page requests.
    void takeWaitingPlan();

signals:
    void scenarioButtonWanted(bool visible);
    // A configuration image was decoded into the state, or the state fell back to the base
    // scenario (fallback): tiles, navigation panel, work-cycle page and editor show it.
    void configurationDecoded(const DecodeResult &result, bool fallback);
    void statusReceived(const StatusRecord &record, const PanelStatus &panel);
    void dayBarChanged(const QList<DayState> &dayStates, int remainingDays);
    // Start and end of the decoded work cycle as "dd.MM.yyyy".
    void cycleDatesChanged(const QString &start, const QString &end);
    // The log was read and parsed into the controller state's records.
    void logTaken(const QByteArray &log);
    // The log read met silence and was given up.
    void logReadTimedOut();
    // Emitted right before an upload is encoded while editorRefresh is set: the editor hands its
    // relay outputs to the state.
    void editorRefreshWanted();
    // Each image body the controller holds: read from it (not a loaded file or a restored
    // snapshot), and written to it once its read-back matched and CommitImage was acknowledged.
    void imageRead(const QByteArray &body);
    void imageWritten(const QByteArray &body);
    // The controller stopped answering (image or status reads without a result): the link is to
    // be given up.
    void controllerSilent();
    // The waiting plan was chosen for another controller than the one signed in to: it is to be
    // cancelled with a note, never written here.
    void waitingPlanStranded();

private:
    void stepStart();
    void stepImageRead();
    void stepCommitConfirmed();
    void retryUpload();
    void giveUpLink();
    void takeImage();
    void stepStatusReceived();
    void stepIdle();
    void startImageRead();
    bool startUpload();
    void updateDayBar(int remainingDays);

    CommandChannel *m_channel;
    LinkNotes *m_notes;
};
