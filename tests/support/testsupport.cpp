#include "testsupport.h"

#include <QDir>
#include <QThread>

bool tickUntil(const std::function<void()> &step, const std::function<bool()> &condition, int maxTicks)
{
    for (int i = 0; i < maxTicks; ++i) {
        if (condition())
            return true;
        step();
        drainEvents(0);
    }
    return condition();
}

void drainEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } while (timer.elapsed() < ms);
}

QString testDataPath(const QString &name)
{
    return QDir(QStringLiteral(VIREOSANT_TEST_DATA)).filePath(name);
}

QString sourcePath(const QString &name)
{
    return QDir(QStringLiteral(VIREOSANT_SOURCE_DIR)).filePath(name);
}
