#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <functional>

// Runs step() (one program tick), then lets queued events arrive, until condition() holds or
// maxTicks have passed. Returns whether the condition was met.
bool tickUntil(const std::function<void()> &step, const std::function<bool()> &condition, int maxTicks);

// Processes queued events (posted calls, zero-delay timers) until none are left or ms elapse.
void drainEvents(int ms = 20);

// Absolute path of a file below tests/data.
QString testDataPath(const QString &name);
// Absolute path of a file or folder of the checkout, e.g. "fuzz/corpus".
QString sourcePath(const QString &name);

// A fresh empty current directory for one test case; the previous one is restored afterwards.
class TempWorkDir
{
public:
    TempWorkDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempWorkDir() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
