#include "SimulatorSession.h"

#include "ConsoleCommands.h"
#include "SerialLine.h"
#include "link/FrameCodec.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Often enough that switch stops and homing show up promptly in a state printout.
constexpr int kTickMs = 20;
constexpr qsizetype kMaxConsoleLine = 4096;

// ASC frames read best as text, RTU frames as hex pairs.
QString describe(const QByteArray& bytes) {
    if (bytes.startsWith(':')) {
        QString text = QString::fromLatin1(bytes);
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        return text;
    }
    return FormatHexPairs(bytes).trimmed();
}

void printLine(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

SimulatorSession::SimulatorSession(const SimOptions& options, SerialLine* line, QObject* parent)
    : QObject(parent), options_(options), line_(line),
      bus_(options.addresses, options.switches,
           baudCodeForRate(options.baudRate).value_or(kFirstBaudCode)),
      faults_(options.faults) {
    clock_.start();
    bus_.setInputs(options.inputs, std::nullopt, now());

    gapTimer_.setSingleShot(true);
    gapTimer_.setTimerType(Qt::PreciseTimer);
    gapTimer_.setInterval(options.frameGapMs);
    connect(&gapTimer_, &QTimer::timeout, this, [this] { answer(gatherer_.flush()); });

    tickTimer_.setTimerType(Qt::PreciseTimer);
    tickTimer_.setInterval(kTickMs);
    connect(&tickTimer_, &QTimer::timeout, this, [this] { bus_.advanceTo(now()); });

    outputTimer_.setSingleShot(true);
    outputTimer_.setTimerType(Qt::PreciseTimer);
    connect(&outputTimer_, &QTimer::timeout, this, &SimulatorSession::writeNextPiece);

    connect(line_, &SerialLine::received, this, &SimulatorSession::received);
    connect(line_, &SerialLine::failed, this, [this](const QString& message) {
        std::fprintf(stderr, "torvane-drive-sim: %s\n", message.toLocal8Bit().constData());
        Q_EMIT finished(1);
    });
}

void SimulatorSession::start() {
    tickTimer_.start();
    stdinNotifier_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier_, &QSocketNotifier::activated, this,
            &SimulatorSession::readStandardInput);
}

void SimulatorSession::log(const QString& line) const {
    if (options_.verbose) {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    }
}

void SimulatorSession::received(const QByteArray& bytes) {
    for (const QByteArray& request : gatherer_.feed(bytes)) {
        answer(request);
    }
    if (gatherer_.hasPending()) {
        gapTimer_.start();
    } else {
        gapTimer_.stop();
    }
}

void SimulatorSession::answer(const QByteArray& request) {
    if (request.isEmpty()) {
        return;
    }
    const BusReply reply = bus_.handleRequest(request, now());
    const QByteArray full = reply.frame + reply.trailer;
    log(QStringLiteral("%1 -> %2")
            .arg(describe(request), full.isEmpty() ? QStringLiteral("no reply") : describe(full)));
    queueOutput(faults_.schedule(reply.frame, reply.trailer));
}

void SimulatorSession::queueOutput(QList<ScheduledPiece> pieces) {
    for (ScheduledPiece& piece : pieces) {
        output_.append({piece.pauseBeforeMs, std::move(piece.bytes), std::nullopt});
    }
    // A new speed applies after the reply that confirms it (or at once when none is sent).
    if (const auto code = bus_.takeBaudChange()) {
        log(QStringLiteral("line speed %1 after this reply").arg(baudRateForCode(*code)));
        output_.append({0, {}, baudRateForCode(*code)});
    }
    if (!output_.isEmpty() && !outputTimer_.isActive()) {
        outputTimer_.start(output_.constFirst().pauseBeforeMs);
    }
}

void SimulatorSession::writeNextPiece() {
    if (output_.isEmpty()) {
        return;
    }
    const OutputPiece piece = output_.takeFirst();
    if (!piece.bytes.isEmpty()) {
        line_->write(piece.bytes);
    }
    if (piece.speedAfter) {
        line_->setSpeedAfterOutput(*piece.speedAfter);
    }
    if (!output_.isEmpty()) {
        outputTimer_.start(output_.constFirst().pauseBeforeMs);
    }
}

void SimulatorSession::readStandardInput() {
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    if (count <= 0) {
        stdinNotifier_->setEnabled(false);
        stdinBuffer_.append('\n');
        runConsoleLines();
        if (options_.exitOnStdinEof) {
            Q_EMIT finished(0);
        }
        return;
    }
    stdinBuffer_.append(buffer, count);
    runConsoleLines();
}

void SimulatorSession::runConsoleLines() {
    qsizetype end = 0;
    while ((end = stdinBuffer_.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(stdinBuffer_.left(end)).trimmed();
        stdinBuffer_.remove(0, end + 1);
        const ConsoleResult result = runConsoleLine(bus_, line, now());
        if (!result.output.isEmpty()) {
            printLine(result.output);
        }
        queueOutput({});
        if (result.quit) {
            Q_EMIT finished(0);
            return;
        }
    }
    // A line without end that grows past any command is noise.
    if (stdinBuffer_.size() > kMaxConsoleLine) {
        stdinBuffer_.clear();
    }
}
