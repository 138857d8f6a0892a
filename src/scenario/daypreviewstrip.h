#pragma once

#include "model/plan/daypreview.h"

#include <QMap>
#include <QStringList>
#include <QWidget>

// One strip per output of the scenario being edited, over one cycle of day and night: when it is
// on, off, or left to a sensor rule. Recomputed from the editor's working copy on every edit.
class DayPreviewStrip : public QWidget
{
    Q_OBJECT
public:
    explicit DayPreviewStrip(QWidget *parent = nullptr);

    // names: output number -> the name shown before its strip
    void setPlan(const QMap<int, SocketProgram> &sockets, const QMap<int, QString> &names, int dayHours, int nightHours);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // What is drawn, for tests: output number -> spans.
    const QMap<int, QList<DayPreview::Span>> &spans() const { return m_spans; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QMap<int, QList<DayPreview::Span>> m_spans;
    QMap<int, QString> m_names;
    int m_dayMinutes = 0;
    int m_cycleMinutes = 0;
};
