#include "reports/html/differencehtml.h"
#include "reports/html/htmlwriter.h"

#include <QJsonObject>

#include <algorithm>

namespace {

// One line of a value as indented JSON, and the path of the field it shows.
struct ValueLine
{
    QString text;
    QString path;
};

const QString indentStep = QStringLiteral("    ");

// The lines of a value, laid out as the suite prints records.
void appendLines(QVector<ValueLine> *lines, const QString &indent, const QString &label, const QJsonValue &value,
                 const QString &path, const QString &end)
{
    const bool isObject = value.isObject() && !value.toObject().isEmpty();
    const bool isArray = value.isArray() && !value.toArray().isEmpty();
    if (!isObject && !isArray) {
        lines->append({indent + label + ValueDifference::jsonText(value) + end, path});
        return;
    }
    lines->append({indent + label + (isObject ? QStringLiteral("{") : QStringLiteral("[")), path});
    if (isObject) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            appendLines(lines, indent + indentStep, ValueDifference::jsonText(it.key()) + QStringLiteral(": "),
                        it.value(), ValueDifference::memberPath(path, it.key()),
                        it + 1 == object.end() ? QString() : QStringLiteral(","));
    } else {
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i)
            appendLines(lines, indent + indentStep, QString(), array.at(i), ValueDifference::elementPath(path, i),
                        i + 1 == array.size() ? QString() : QStringLiteral(","));
    }
    lines->append({indent + (isObject ? QStringLiteral("}") : QStringLiteral("]")) + end, path});
}

// The line shows a field that differs on this side, or lies inside one.
bool differs(const QString &path, const QVector<QString> &paths)
{
    return std::any_of(paths.cbegin(), paths.cend(), [&path](const QString &differing) {
        return path == differing
               || (path.startsWith(differing)
                   && (differing.isEmpty() || path.at(differing.size()) == QLatin1Char('.')
                       || path.at(differing.size()) == QLatin1Char('[')));
    });
}

void writeValue(HtmlWriter &html, const QString &caption, const QString &side, const QJsonValue &value,
                const QVector<QString> &differingPaths)
{
    QVector<ValueLine> lines;
    appendLines(&lines, QString(), QString(), value, QString(), QString());
    html.open(QStringLiteral("div"));
    html.element(QStringLiteral("p"), caption, {{QStringLiteral("class"), QStringLiteral("note")}});
    html.open(QStringLiteral("pre"), {{QStringLiteral("class"), side}});
    for (const ValueLine &line : lines) {
        if (differs(line.path, differingPaths))
            html.element(QStringLiteral("span"), line.text, {{QStringLiteral("class"), QStringLiteral("differs")}});
        else
            html.text(line.text);
        html.text(QStringLiteral("\n"));
    }
    html.close();
    html.close();
}

} // namespace

void DifferenceHtml::write(HtmlWriter &html, const ValueDifference &difference)
{
    if (difference.isEmpty())
        return;
    QVector<QString> inExpected;
    QVector<QString> inActual;
    html.open(QStringLiteral("div"), {{QStringLiteral("class"), QStringLiteral("difference")}});
    html.open(QStringLiteral("ul"));
    const QVector<ValueDifference::Field> fields = difference.fields();
    for (const ValueDifference::Field &field : fields) {
        html.element(QStringLiteral("li"), field.text());
        if (!field.expected.isUndefined())
            inExpected.append(field.path);
        if (!field.actual.isUndefined())
            inActual.append(field.path);
    }
    html.close();
    html.open(QStringLiteral("div"), {{QStringLiteral("class"), QStringLiteral("values")}});
    writeValue(html, QStringLiteral("expected"), QStringLiteral("expected"), difference.expected(), inExpected);
    writeValue(html, QStringLiteral("got"), QStringLiteral("actual"), difference.actual(), inActual);
    html.close();
    html.close();
}
