// SPDX-License-Identifier: GPL-3.0-or-later
#include "CsvExport.h"

#include <QRegularExpression>

namespace chart {
namespace {

const QLatin1String kLineEnd("\r\n");

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Reads exactly two half-width digits at `i` followed by `unit`, moving `i` past them; -1 otherwise.
int twoDigitsThen(QStringView text, qsizetype& i, QChar unit)
{
    if (i + 2 >= text.size() || !isDigit(text[i]) || !isDigit(text[i + 1]) || text[i + 2] != unit)
        return -1;
    const int value = (text[i].unicode() - u'0') * 10 + (text[i + 1].unicode() - u'0');
    i += 3;
    return value;
}

// A count a spreadsheet reads as a plain number: half-width digits, a minus, a decimal point, an exponent.
bool isPlainNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^-?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][-+]?[0-9]+)?$"));
    return number.match(text).hasMatch();
}

}  // namespace

QString csvField(const QString& text)
{
    const bool needsQuotes = text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvTextField(const QString& text)
{
    const bool formulaLike = !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front());
    return csvField(formulaLike ? u'\'' + text : text);
}

QString csvCountField(const QString& count)
{
    return isPlainNumber(count) ? count : csvTextField(count);
}

QString csvTime(const QString& field)
{
    const QStringView text = QStringView(field).trimmed();
    qsizetype i = 0;
    const int hours = twoDigitsThen(text, i, u'時');
    const int minutes = hours < 0 ? -1 : twoDigitsThen(text, i, u'分');
    const int seconds = minutes < 0 ? -1 : twoDigitsThen(text, i, u'秒');
    if (seconds < 0 || i != text.size() || hours > 23 || minutes > 59 || seconds > 59)
        return field;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'));
}

QByteArray csvBytes(const std::vector<ItemHistory>& histories)
{
    QString text = QStringLiteral("項目,日付,時刻,回数") + kLineEnd;
    for (const ItemHistory& history : histories) {
        const std::vector<QDate> dates = placeDates(history.records, history.anchor);
        const QString name = csvTextField(history.name);
        for (size_t i = 0; i < history.records.size(); ++i) {
            const QmrM::HistoryRecord& record = history.records[i];
            const QString date = dates[i].isValid() ? dates[i].toString(Qt::ISODate) : QString();
            text += name + u',' + date + u',' + csvTextField(csvTime(record.time)) + u',' +
                    csvCountField(record.count) + kLineEnd;
        }
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

}  // namespace chart
