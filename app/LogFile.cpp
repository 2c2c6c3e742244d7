#include "app/LogFile.h"

#include <QDateTime>
#include <QSaveFile>

#include "canlink/BridgeLibrary.h"
#include "platform/HostName.h"

QStringList LogFileHeader() {
    char host[256];
    platform::GetHostName(host, sizeof host);
    const QString library = QString::fromStdString(DefaultBridgeLibraryPath());
    return {
        QStringLiteral("Tolvik status log"),
        QStringLiteral("Saved: ") + QDateTime::currentDateTime().toString(Qt::ISODate),
        QStringLiteral("Tolvik version: " TOLVIK_VERSION),
        QStringLiteral("Host name: ") + QString::fromLocal8Bit(host),
        QStringLiteral("Bridge library: ") + library +
            (Bridge().IsBound() ? QString() : QStringLiteral(" (not loaded)")),
    };
}

bool SaveLogFile(const QString& path, const QStringList& header, const QStringList& lines, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QByteArray text;
    for (const QString& line : header) {
        text += line.toUtf8() + '\n';
    }
    text += '\n';
    for (const QString& line : lines) {
        text += line.toUtf8() + '\n';
    }
    if (file.write(text) != text.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
