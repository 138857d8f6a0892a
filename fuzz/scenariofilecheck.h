#pragma once

// One run of the scenario-file reader on arbitrary bytes, with the properties every run must
// keep. Shared by the libFuzzer target and the corpus regression test.

#include "imagedecodercheck.h"

#include "model/files/scenariofile.h"

namespace ScenarioFileCheck {

inline qsizetype contentSize(const ScenarioFileContent &c)
{
    qsizetype n = c.image.size() + c.index.size() + c.description.size();
    for (const ScenarioNote &note : c.notes)
        n += note.text.size();
    return n;
}

inline QString run(const QByteArray &data)
{
    ScenarioFileContent content;
    content.description = "sentinel";
    if (!readScenarioFile(data, &content)) {
        if (content.description != "sentinel" || !content.image.isEmpty() || !content.notes.isEmpty())
            return QStringLiteral("a refused file changed the content");
        return QString();
    }
    if (contentSize(content) > data.size())
        return QStringLiteral("more bytes read than the file holds");
    for (const ScenarioNote &note : content.notes) {
        if (note.number < 0)
            return QStringLiteral("a note with a negative number");
    }

    // What the writer makes of it reads back the same, empty notes aside.
    ScenarioFileContent again;
    if (!readScenarioFile(writeScenarioFile(content), &again))
        return QStringLiteral("the writer's file does not read back");
    QList<ScenarioNote> kept;
    for (const ScenarioNote &note : content.notes) {
        if (!note.text.isEmpty())
            kept.append(note);
    }
    if (again.image != content.image || again.index != content.index || again.notes != kept
        || again.description != content.description)
        return QStringLiteral("written and read back differs");

    if (imageHoldsWholePlan(content.image)) {
        const QString problem = ImageDecoderCheck::run(content.image);
        if (!problem.isEmpty())
            return QStringLiteral("image: ") + problem;
    }
    return QString();
}

} // namespace ScenarioFileCheck
