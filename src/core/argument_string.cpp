#include "core/argument_string.h"

#include <QStringList>

namespace orvane2 {

QString ArgumentString(int argc, const char* const* argv)
{
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    return words.join(u' ');
}

}  // namespace orvane2
