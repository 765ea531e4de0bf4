#pragma once

#include <QString>

#include <functional>

// Receives the log lines of a run, one line per call, without line end.
using LogSink = std::function<void(const QString &line)>;
