#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <functional>

// Runs step() (one program tick), then lets queued events arrive, until condition() holds or
// maxTicks have passed. Returns whether the condition was met.
bool tickUntil(const std::function<void()> &step, const std::function<bool()> &condition, int maxTicks);

// Processes queued events (posted calls, zero-delay timers) until none are left or ms elapse.
void drainEvents(int ms = 20);

// Absolute path of a file below tests/data.
QString testDataPath(const QString &name);
