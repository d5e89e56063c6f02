// The tests' private JACK server, driven by scripts/jack-server: stopped and started
// again, or killed as in a crash. Needs TARNWICK_JACK_SERVER (the script) and
// TARNWICK_JACK_STATE (its folder) from the build.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace tarnwick::testing {

// The test's JACK server, stopped ("stop") or started ("start") under its own name.
inline bool jackServer(const QString& action) {
    QProcess script;
    script.start(
        QStringLiteral(TARNWICK_JACK_SERVER),
        {action, qEnvironmentVariable("JACK_DEFAULT_SERVER"), QStringLiteral(TARNWICK_JACK_STATE)});
    return script.waitForFinished(20000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
}

// The test's JACK server killed, as in a crash. It leaves its slot in the shared-memory
// registry: the next server of the same name takes it back, and the fixture's stop later
// ends that one cleanly.
inline bool crashJackServer() {
    QFile pidFile(QStringLiteral(TARNWICK_JACK_STATE "/jackd-%1.pid")
                      .arg(qEnvironmentVariable("JACK_DEFAULT_SERVER")));
    const pid_t pid =
        pidFile.open(QIODevice::ReadOnly) ? pid_t(pidFile.readAll().trimmed().toInt()) : 0;
    if (pid <= 0 || ::kill(pid, SIGKILL) != 0) {
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (::kill(pid, 0) == 0 && timer.elapsed() < 5000) {
        QThread::msleep(10);
    }
    return ::kill(pid, 0) != 0;
}

} // namespace tarnwick::testing
