// Runs one create or extract step through the desktop program's own main window and action
// runner, offscreen, and reports how long the step took and the longest stretch in which the
// event loop did not run (what a user would feel as a frozen window).
#include "actions/ActionRunner.h"
#include "cipher/CCipher.h"
#include "core/Global.h"
#include "core/Prompt.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

// Every message box is a failure of the run: it would wait for a user.
class FailingPrompt : public Prompt
{
public:
    Answer message(const QString &text, Buttons, Icon, const QString &) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        failed = true;
        return Ok;
    }
    bool failed = false;
};

// A timer that fires every few milliseconds whenever the event loop runs; the longest time
// between two of its firings is the longest gap.
class GapMeter
{
public:
    GapMeter()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(2);
        QObject::connect(&timer, &QTimer::timeout, [this] { tick(); });
    }
    void start()
    {
        clock.start();
        timer.start();
    }
    qint64 longestGapMs()
    {
        tick(); // the stretch since the last firing counts too
        return longest;
    }

private:
    void tick() { longest = std::max(longest, clock.restart()); }

    QTimer timer;
    QElapsedTimer clock;
    qint64 longest = 0;
};

int usage()
{
    std::fputs("usage: vaulnix-desktop-bench pack BOX FOLDER PASSWORD_FILE\n"
               "       vaulnix-desktop-bench unpack BOX FOLDER PASSWORD_FILE\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 5 || (std::strcmp(argv[1], "pack") != 0 && std::strcmp(argv[1], "unpack") != 0))
        return usage();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FailingPrompt prompt;
    Prompt::install(&prompt);

    QFile passwordFile(QString::fromLocal8Bit(argv[4]));
    if (!passwordFile.open(QIODevice::ReadOnly))
        return usage();
    const QString password = QString::fromUtf8(passwordFile.readLine().trimmed());
    const bool pack = std::strcmp(argv[1], "pack") == 0;
    const QString box = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);

    QTemporaryDir home;
    frmMain::Options options;
    options.appPath = home.filePath(QStringLiteral("app/"));
    options.settingsFile = home.filePath(QStringLiteral("settings.ini"));
    options.lockFile = home.filePath(QStringLiteral("vaulnix.lock"));
    options.trayAvailable = 1;
    qint64 runMs = 0;
    qint64 gapMs = 0;
    bool done = false;
    {
        frmMain window(options);
        if (!window.Load())
            return 1;
        window.show();
        // As with Options > Settings > Write sealed boxes ticked.
        window.SetWriteSealed(qEnvironmentVariableIsSet("VAULNIX_BENCH_SEALED"));
        Global::CurrentUserName = QStringLiteral("bench");
        Global::CurrentUserPassword = password;
        // As after a log-on, which derives the box key in the background (frmMain::PrepareBoxKey);
        // a user cannot start a run within the derivation's 60 ms.
        CCipher::PrepareKey(password.toUtf8());
        Global::DialogFolder = folder;
        Global::DialogBoxFile = box;
        Global::DialogBoxName = QStringLiteral("bench");
        Global::DialogShred = 0;
        GapMeter gaps;
        QTimer::singleShot(0, [&] {
            gaps.start();
            QElapsedTimer run;
            run.start();
            // As a run does it: busy, the cipher held, errors caught and reported.
            window.BusyFlag = true;
            window.CipherInUse = true;
            try {
                if (pack)
                    window.runner().RunCreate();
                else
                    window.runner().RunExtract(box);
                done = window.runner().SuccessCount == 1;
            } catch (const std::exception &e) {
                std::fprintf(stderr, "%s\n", e.what());
            }
            window.CipherInUse = false;
            window.BusyFlag = false;
            runMs = run.elapsed();
            gapMs = gaps.longestGapMs();
            QApplication::quit();
        });
        QApplication::exec();
        Global::CurrentUserName.clear();
        Global::CurrentUserPassword.clear();
    }
    Prompt::install(nullptr);
    if (prompt.failed || !done)
        return 1;
    std::printf("run %.3f s, longest event-loop gap %lld ms\n", double(runMs) / 1000.0,
                static_cast<long long>(gapMs));
    return 0;
}
