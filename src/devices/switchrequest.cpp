#include "devices/switchrequest.h"

#include "widgets/infonote.h"

#include <QWidget>

namespace {
constexpr int StopWorkNoteTicks = 20;
}

void showStopWorkNote(QWidget *parent)
{
    showNoteOrShorten(parent ? parent->window() : nullptr, QStringLiteral("Остановите работу контроллера"),
                      NoteClose::AfterTicks, StopWorkNoteTicks);
}
