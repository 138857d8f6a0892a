#include "app/mediabackend.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

void preferFfmpegMediaBackend()
{
    if (qEnvironmentVariableIsSet("QT_MEDIA_BACKEND"))
        return;
    const QDir plugins(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    if (QFileInfo::exists(plugins.filePath(QStringLiteral("multimedia/libffmpegmediaplugin.so"))))
        qputenv("QT_MEDIA_BACKEND", "ffmpeg");
}
