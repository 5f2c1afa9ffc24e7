#include "SimOptions.h"

#include "CommandTable.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cctype>

namespace {

// Decimal, or hexadecimal with 0x.
std::optional<qint64> parseInteger(const QString& text, qint64 min, qint64 max) {
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok, 0);
    if (!ok || number < min || number > max) {
        return std::nullopt;
    }
    return number;
}

constexpr qint64 kMaxMs = 600000;
constexpr qint64 kTravelLimit = 1000000000;

} // namespace

std::optional<quint8> parseInputDigits(const QString& text) {
    if (text.isEmpty() || text.size() > 5) {
        return std::nullopt;
    }
    quint8 bits = 0;
    for (const QChar c : text) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1')) {
            return std::nullopt;
        }
        bits = quint8(bits << 1 | (c == QLatin1Char('1') ? 1 : 0));
    }
    return bits;
}

ParsedCommandLine parseSimCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates one or several closed-loop stepper drivers on a serial line.\n"
        "Without --device it creates a pseudo-terminal. The first line of standard output is\n"
        "the path of the line (the pseudo-terminal, or the --device path).\n"
        "Lines typed on standard input: 'inputs BITS [ADDRESS]' sets the inputs IN5..IN1\n"
        "(e.g. inputs 00101), 'state' prints the drivers' state, 'quit', 'help'.\n"
        "Exit codes: 0 on quit, SIGINT, SIGTERM, SIGHUP or (when asked) the end of standard\n"
        "input; 1 when the line fails; 2 for a bad command line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Keep a symlink to the pseudo-terminal at PATH; "
                                                 "removed on exit."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Use the serial device PATH (8N1) instead of "
                                                   "a pseudo-terminal."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption baud(QStringLiteral("baud"),
                                  QStringLiteral("Line speed of --device: 2400, 4800, 9600, "
                                                 "14400, 19200, 38400, 56000 or 57600 "
                                                 "(default 9600)."),
                                  QStringLiteral("N"), QStringLiteral("9600"));
    const QCommandLineOption addresses(QStringLiteral("addresses"),
                                       QStringLiteral("Bus addresses of the simulated drivers, "
                                                      "1 to 255, comma-separated (default 1)."),
                                       QStringLiteral("LIST"), QStringLiteral("1"));
    const QCommandLineOption inputs(QStringLiteral("inputs"),
                                    QStringLiteral("Initial inputs as binary digits IN5..IN1, "
                                                   "1 = active (default 00000)."),
                                    QStringLiteral("BITS"), QStringLiteral("00000"));
    const QCommandLineOption leftLimit(QStringLiteral("left-limit"),
                                       QStringLiteral("Position of the left limit switch "
                                                      "(default -1000000)."),
                                       QStringLiteral("POS"), QStringLiteral("-1000000"));
    const QCommandLineOption zeroSwitch(QStringLiteral("zero-switch"),
                                        QStringLiteral("Position of the zero switch, between "
                                                       "the limits (default 0)."),
                                        QStringLiteral("POS"), QStringLiteral("0"));
    const QCommandLineOption rightLimit(QStringLiteral("right-limit"),
                                        QStringLiteral("Position of the right limit switch "
                                                       "(default 1000000)."),
                                        QStringLiteral("POS"), QStringLiteral("1000000"));
    const QCommandLineOption exitOnEof(QStringLiteral("exit-on-stdin-eof"),
                                       QStringLiteral("Exit when standard input closes."));
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Log each request and its reply on "
                                                    "standard error."));
    const QCommandLineOption frameGap(QStringLiteral("frame-gap"),
                                      QStringLiteral("Silence in ms that ends an incomplete "
                                                     "request (default 20)."),
                                      QStringLiteral("MS"), QStringLiteral("20"));
    const QCommandLineOption replyDelay(QStringLiteral("reply-delay"),
                                        QStringLiteral("Wait MS before each reply."),
                                        QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption splitReply(QStringLiteral("split-reply"),
                                        QStringLiteral("Send replies in pieces of N bytes, MS "
                                                       "apart."),
                                        QStringLiteral("N:MS"));
    const QCommandLineOption corruptEvery(QStringLiteral("corrupt-every"),
                                          QStringLiteral("Give every K-th reply a wrong "
                                                         "checksum."),
                                          QStringLiteral("K"), QStringLiteral("0"));
    const QCommandLineOption dropEvery(QStringLiteral("drop-every"),
                                       QStringLiteral("Leave every K-th reply unsent."),
                                       QStringLiteral("K"), QStringLiteral("0"));
    const QCommandLineOption extraBytes(QStringLiteral("extra-bytes"),
                                        QStringLiteral("Append these bytes (hex, e.g. 00FF) "
                                                       "after each reply."),
                                        QStringLiteral("HEX"));
    parser.addOptions({help, link, device, baud, addresses, inputs, leftLimit, zeroSwitch,
                       rightLimit, exitOnEof, verbose, frameGap, replyDelay, splitReply,
                       corruptEvery, dropEvery, extraBytes});

    ParsedCommandLine result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.helpRequested = true;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.error = QStringLiteral("Unexpected argument: %1")
                           .arg(parser.positionalArguments().constFirst());
        return result;
    }
    const auto fail = [&result](const QString& option, const QString& value) {
        result.error = QStringLiteral("Invalid value for --%1: '%2'").arg(option, value);
        return result;
    };

    SimOptions options;
    options.linkPath = parser.value(link);
    options.devicePath = parser.value(device);
    options.exitOnStdinEof = parser.isSet(exitOnEof);
    options.verbose = parser.isSet(verbose);
    if (!options.linkPath.isEmpty() && !options.devicePath.isEmpty()) {
        result.error = QStringLiteral("--link applies to the pseudo-terminal, not to --device");
        return result;
    }

    const auto rate = parseInteger(parser.value(baud), 1, 4000000);
    if (!rate || !baudCodeForRate(int(*rate))) {
        return fail(QStringLiteral("baud"), parser.value(baud));
    }
    options.baudRate = int(*rate);

    options.addresses.clear();
    for (const QString& part : parser.value(addresses).split(QLatin1Char(','))) {
        const auto address = parseInteger(part, 1, 255);
        if (!address || options.addresses.contains(quint8(*address))) {
            return fail(QStringLiteral("addresses"), parser.value(addresses));
        }
        options.addresses.append(quint8(*address));
    }

    const auto bits = parseInputDigits(parser.value(inputs));
    if (!bits) {
        return fail(QStringLiteral("inputs"), parser.value(inputs));
    }
    options.inputs = *bits;

    const auto left = parseInteger(parser.value(leftLimit), -kTravelLimit, kTravelLimit);
    const auto zero = parseInteger(parser.value(zeroSwitch), -kTravelLimit, kTravelLimit);
    const auto right = parseInteger(parser.value(rightLimit), -kTravelLimit, kTravelLimit);
    if (!left || !zero || !right || !(*left < *zero && *zero < *right)) {
        result.error = QStringLiteral("Switch positions must be numbers with "
                                      "left-limit < zero-switch < right-limit");
        return result;
    }
    options.switches = {*left, *zero, *right};

    struct MsOption {
        const QCommandLineOption* option;
        qint64 min;
        int* target;
    };
    const MsOption numbers[] = {
        {&frameGap, 1, &options.frameGapMs},
        {&replyDelay, 0, &options.faults.replyDelayMs},
        {&corruptEvery, 0, &options.faults.corruptEvery},
        {&dropEvery, 0, &options.faults.dropEvery},
    };
    for (const MsOption& number : numbers) {
        const auto parsed = parseInteger(parser.value(*number.option), number.min, kMaxMs);
        if (!parsed) {
            return fail(number.option->names().constFirst(), parser.value(*number.option));
        }
        *number.target = int(*parsed);
    }

    if (parser.isSet(splitReply)) {
        const QStringList parts = parser.value(splitReply).split(QLatin1Char(':'));
        const auto size = parts.size() == 2 ? parseInteger(parts[0], 1, 512) : std::nullopt;
        const auto pause = parts.size() == 2 ? parseInteger(parts[1], 0, kMaxMs) : std::nullopt;
        if (!size || !pause) {
            return fail(QStringLiteral("split-reply"), parser.value(splitReply));
        }
        options.faults.splitBytes = int(*size);
        options.faults.splitPauseMs = int(*pause);
    }

    if (parser.isSet(extraBytes)) {
        QString hex = parser.value(extraBytes);
        hex.remove(QLatin1Char(' '));
        const QByteArray latin = hex.toLatin1();
        const bool hexOnly = !latin.isEmpty() && latin.size() % 2 == 0 &&
                             std::all_of(latin.begin(), latin.end(), [](char c) {
                                 return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                             });
        if (!hexOnly) {
            return fail(QStringLiteral("extra-bytes"), parser.value(extraBytes));
        }
        options.faults.extraBytes = QByteArray::fromHex(latin);
    }

    result.options = options;
    return result;
}
