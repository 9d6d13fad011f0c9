#include "wizard/qt/user_session.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "platform/invoking_user.h"
#include "results/qt/qt_text.h"

namespace salvex::gui {

bool open_in_user_session(const QUrl& url, QObject* owner, std::function<void()> failed) {
    // xdg-open wants a path for local files; a file: URL with spaces encoded puzzles some handlers.
    const QString target = url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return false;
    QString program = opener;
    QStringList arguments{target};

    const auto& user = salvex::platform::invoking_user();
    if (user && !user->name.empty()) {
        // A file manager, viewer or browser started as root would write root-owned
        // settings into the user's home, or refuse to start. runuser (util-linux,
        // always there) drops to the user without a password prompt; env then puts
        // back what pkexec cleared, so the program finds the user's display, their
        // session bus (where the desktop's default applications answer) and their
        // runtime folder. Wayland's socket is not ours to pass on: X (or XWayland)
        // is enough to start a program.
        program = QStandardPaths::findExecutable(QStringLiteral("runuser"), {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
        if (program.isEmpty()) return false;
        const QString runtime = QStringLiteral("/run/user/%1").arg(user->uid);
        arguments = QStringList{QStringLiteral("-u"), qs(user->name), QStringLiteral("--"),
                                QStringLiteral("env"), QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                                QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=") + runtime + QStringLiteral("/bus")};
        for (const char* name : {"DISPLAY", "XAUTHORITY"})
            if (const QByteArray value = qgetenv(name); !value.isEmpty())
                arguments << QString::fromLatin1(name) + QLatin1Char('=') + QString::fromLocal8Bit(value);
        arguments << opener << target;
    }

    // Not detached: its exit status tells whether anything opened. Where the
    // desktop has no launcher of its own, xdg-open waits for the program it
    // started, so only an early exit counts.
    // QProcess, not the platform runner (platform/shell_runner.h), which waits
    // where it is called: the window goes on while the opener runs, and the
    // verdict comes later, on the interface thread, through Qt's event loop,
    // which also reaps the child.
    auto* process = new QProcess(owner);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto clock = std::make_shared<QElapsedTimer>();
    QObject::connect(process, &QProcess::finished, owner,
                     [process, clock, failed](int code, QProcess::ExitStatus status) {
                         const bool bad = status != QProcess::NormalExit || code != 0;
                         if (bad && clock->elapsed() < kOpenerVerdictMs && failed) failed();
                         process->deleteLater();
                     });
    clock->start();
    process->start();
    if (!process->waitForStarted(2000)) {
        delete process;
        return false;
    }
    return true;
}

}  // namespace salvex::gui
