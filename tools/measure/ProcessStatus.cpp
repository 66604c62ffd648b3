#include "ProcessStatus.h"

#include <QByteArray>
#include <QFile>

namespace ProcessStatus {

qint64 KiB(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').front().toLongLong();
    return -1;
}

}  // namespace ProcessStatus
