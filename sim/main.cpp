#include "PtyLine.h"
#include "SerialDeviceLine.h"
#include "SimOptions.h"
#include "SimulatorSession.h"
#include "TerminationSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

int failWith(const QString& message, int exitCode) {
    std::fprintf(stderr, "torvane-drive-sim: %s\n", message.toLocal8Bit().constData());
    return exitCode;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvane-drive-sim"));

    const ParsedCommandLine parsed = parseSimCommandLine(QCoreApplication::arguments());
    if (parsed.helpRequested) {
        std::fputs(parsed.helpText.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parsed.options) {
        return failWith(parsed.error + QStringLiteral(" (see --help)"), 2);
    }
    const SimOptions& options = *parsed.options;

    QString error;
    TerminationSignals terminationSignals;
    if (!terminationSignals.install(&error)) {
        return failWith(error, 1);
    }

    std::unique_ptr<SerialLine> line;
    QString linePath;
    if (!options.devicePath.isEmpty()) {
        auto device = std::make_unique<SerialDeviceLine>();
        if (!device->open(options.devicePath, options.baudRate, &error)) {
            return failWith(error, 1);
        }
        linePath = options.devicePath;
        line = std::move(device);
    } else {
        auto pty = std::make_unique<PtyLine>();
        if (!pty->open(&error) ||
            (!options.linkPath.isEmpty() && !pty->createLink(options.linkPath, &error))) {
            return failWith(error, 1);
        }
        linePath = pty->slavePath();
        line = std::move(pty);
    }
    // Launchers read this first line to find the line.
    std::fprintf(stdout, "%s\n", linePath.toLocal8Bit().constData());
    std::fflush(stdout);

    SimulatorSession session(options, line.get());
    QObject::connect(&terminationSignals, &TerminationSignals::received, &app,
                     [] { QCoreApplication::exit(0); });
    QObject::connect(&session, &SimulatorSession::finished, &app, &QCoreApplication::exit);
    session.start();
    return app.exec();
}
