#include "platform/qt/file_filter.h"

#include <QRegularExpression>
#include <QStringList>

#include "platform/qt/latin1.h"

namespace kestrix::platform::qt {

namespace {
QString patternsOf(const QString& patterns) {
    QStringList out;
    for (QString pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        out << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return out.join(QLatin1Char(' '));
}

QString descriptionOf(QString description) {
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return description.remove(trailingPatterns).trimmed();
}
}  // namespace

QString toQtFileFilter(const std::string& filter) {
    const QStringList parts = fromBytes(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << descriptionOf(parts[i]) + QStringLiteral(" (") + patternsOf(parts[i + 1]) + QLatin1Char(')');
    return entries.join(QStringLiteral(";;"));
}

}  // namespace kestrix::platform::qt
