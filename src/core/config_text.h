#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvane2 {

// The configuration file's bytes as text: UTF-8 when they are valid UTF-8 (a leading
// byte-order mark dropped), otherwise Windows-1251, the Cyrillic code page that files
// written on older Russian Windows desktops use.
QString DecodeConfigText(const QByteArray& bytes);

// Splits the text into records the way free-format field input reads them:
// - a record ends at CR, LF, CR LF or a comma;
// - blanks (spaces and tabs) before a record are skipped;
// - a record that begins with a double quote runs to the next double quote, without
//   the quotes; whatever follows the closing quote up to the end of the record is dropped;
// - an empty line yields an empty record.
QStringList SplitConfigRecords(const QString& text);

}  // namespace orvane2
