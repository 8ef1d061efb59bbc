// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayList>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Writes a configuration of one group holding the given hosts (host I labelled "hostI"),
// checked once an hour so that the window's own timer stays out of a benchmark's way;
// returns its path, or an empty string when it cannot be written.
inline QString WriteBenchBoard(const QTemporaryDir& dir, const QByteArrayList& hosts)
{
    QFile config(dir.filePath(QStringLiteral("bench.cfg")));
    if (!config.open(QIODevice::WriteOnly))
        return {};
    config.write("checkinterval 3600\ngroup Bench\n");
    for (qsizetype i = 0; i < hosts.size(); ++i)
        config.write(hosts[i] + " host" + QByteArray::number(i + 1) + "\n");
    return config.fileName();
}
