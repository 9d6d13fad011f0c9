#include "wizard/qt/user_session.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

#include "platform/invoking_user.h"

namespace salvex::gui {

bool open_in_user_session(const QUrl& url) {
    const auto& user = salvex::platform::invoking_user();
    if (!user || user->name.empty()) return QDesktopServices::openUrl(url);

    // A file manager, viewer or browser started as root would write root-owned
    // settings into the user's home, or refuse to start. runuser (util-linux,
    // always there) drops to the user without a password prompt; env then puts
    // back what pkexec cleared, so the program finds the user's display, their
    // session bus (where the desktop's default applications answer) and their
    // runtime folder. Wayland's socket is not ours to pass on: X (or XWayland)
    // is enough to start a program.
    const QString runuser = QStandardPaths::findExecutable(QStringLiteral("runuser"), {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
    if (runuser.isEmpty()) return false;
    const QString runtime = QStringLiteral("/run/user/%1").arg(user->uid);
    QStringList arguments{QStringLiteral("-u"), QString::fromStdString(user->name), QStringLiteral("--"),
                          QStringLiteral("env"), QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
                          QStringLiteral("DBUS_SESSION_BUS_ADDRESS=unix:path=") + runtime + QStringLiteral("/bus")};
    for (const char* name : {"DISPLAY", "XAUTHORITY"})
        if (const QByteArray value = qgetenv(name); !value.isEmpty())
            arguments << QString::fromLatin1(name) + QLatin1Char('=') + QString::fromLocal8Bit(value);
    arguments << QStringLiteral("xdg-open") << url.toString(QUrl::FullyEncoded);
    // xdg-open wants a path for local files; a file: URL with spaces encoded puzzles some handlers.
    if (url.isLocalFile()) arguments.last() = url.toLocalFile();
    return QProcess::startDetached(runuser, arguments);
}

}  // namespace salvex::gui
