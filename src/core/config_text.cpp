#include "core/config_text.h"

#include <QStringDecoder>

namespace orvane2 {

namespace {

bool IsLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Consumes the record end at pos (a comma, CR, LF or CR LF); returns the new position.
qsizetype SkipRecordEnd(const QString& text, qsizetype pos)
{
    if (pos >= text.size())
        return pos;
    if (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n')
        return pos + 2;
    return pos + 1;
}

qsizetype FindRecordEnd(const QString& text, qsizetype pos)
{
    while (pos < text.size() && text[pos] != u',' && !IsLineEnd(text[pos]))
        ++pos;
    return pos;
}

}  // namespace

QString DecodeConfigText(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    static constexpr char kBom[] = "\xEF\xBB\xBF";
    if (view.startsWith(kBom))
        view = view.sliced(3);

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;

    QStringDecoder cp1251("windows-1251");
    if (cp1251.isValid())
        return cp1251.decode(view);
    // Without the code page in this Qt build, keep the bytes one to one rather than fail.
    return QString::fromLatin1(view);
}

QStringList SplitConfigRecords(const QString& text)
{
    QStringList records;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size) {
        while (pos < size && IsBlank(text[pos]))
            ++pos;
        if (pos == size)
            break;  // trailing blanks hold no record
        if (text[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            if (close < 0) {
                records.append(text.mid(pos + 1));
                break;
            }
            records.append(text.mid(pos + 1, close - pos - 1));
            pos = SkipRecordEnd(text, FindRecordEnd(text, close + 1));
            continue;
        }
        const qsizetype end = FindRecordEnd(text, pos);
        records.append(text.mid(pos, end - pos));
        pos = SkipRecordEnd(text, end);
    }
    return records;
}

}  // namespace orvane2
