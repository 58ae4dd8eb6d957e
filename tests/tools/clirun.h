#pragma once

// Runs the built trellion-cli as a process, for the tests of its commands.

#include <string>

#include <QProcess>
#include <QString>
#include <QStringList>

struct CliRun {
    int status = -1; // the exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

inline CliRun RunCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(TRELLION_CLI), args);
    CliRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    if (process.exitStatus() == QProcess::NormalExit)
        run.status = process.exitCode();
    return run;
}
