#include "reports/reportfiles.h"
#include "reports/ctrfreport.h"
#include "reports/html/htmlreport.h"
#include "reports/junitreport.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <memory>

namespace {

struct Format
{
    QString option;
    QString name; // "JUnit": the summary names "the JUnit report", errors "the JUnit file"
    QString description;
    // The manual page's text where it says more than description.
    QString manual;
    QString ReportFiles::*file;
    std::unique_ptr<Reporter> (*create)();
};

const QVector<Format> &formats()
{
    static const QVector<Format> all = {
        {QStringLiteral("junit"), QStringLiteral("JUnit"),
         QStringLiteral("Also write the results as JUnit XML to <file>."), QString(), &ReportFiles::junitFile,
         []() -> std::unique_ptr<Reporter> { return std::make_unique<JunitReport>(); }},
        {QStringLiteral("json"), QStringLiteral("CTRF"),
         QStringLiteral("Also write the results as CTRF JSON to <file>."),
         QStringLiteral("Also write the results as a CTRF JSON document to <file>, with every run's verdict, "
                        "exchanges and log lines."),
         &ReportFiles::ctrfFile, []() -> std::unique_ptr<Reporter> { return std::make_unique<CtrfReport>(); }},
        {QStringLiteral("html"), QStringLiteral("HTML"),
         QStringLiteral("Also write the results as an HTML page to <file>."),
         QStringLiteral("Also write the results as one self-contained HTML page to <file>, with a timeline of each "
                        "gate cycle."),
         &ReportFiles::htmlFile, []() -> std::unique_ptr<Reporter> { return std::make_unique<HtmlReport>(); }},
    };
    return all;
}

} // namespace

QList<QCommandLineOption> ReportFiles::options(OptionText text)
{
    QList<QCommandLineOption> options;
    for (const Format &format : formats())
        options.append(QCommandLineOption(format.option, optionDescription(text, format.description, format.manual),
                                          QStringLiteral("file")));
    return options;
}

void ReportFiles::read(const QCommandLineParser &parser)
{
    for (const Format &format : formats())
        this->*format.file = parser.value(format.option);
}

QString ReportFiles::validate()
{
    for (const Format &format : formats()) {
        QString &file = this->*format.file;
        if (file.isEmpty())
            continue;
        file = QFileInfo(file).absoluteFilePath();
        const QFileInfo folder(QFileInfo(file).absolutePath());
        if (!folder.isDir() || !folder.isWritable())
            return QStringLiteral("cannot write the %1 file into %2").arg(format.name, folder.filePath());
    }
    return QString();
}

QStringList ReportFiles::write(const RunResults &results, QStringList *errors) const
{
    QStringList written;
    for (const Format &format : formats()) {
        const QString &file = this->*format.file;
        if (file.isEmpty())
            continue;
        const QString report = format.name + QStringLiteral(" report");
        QString error;
        if (format.create()->writeFile(results, file, &error))
            written.append(QStringLiteral("%1: %2").arg(report, file));
        else
            errors->append(QStringLiteral("cannot write the %1 to %2: %3").arg(report, file, error));
    }
    return written;
}
