#include "consoleexample.h"

namespace {

const QLatin1String prompt("$ ");

} // namespace

ConsoleExample::ConsoleExample(const QString &info, const QStringList &lines)
{
    readInfo(info);
    if (m_kind == Kind::Runnable || m_kind == Kind::NotRun)
        readSteps(lines);
}

void ConsoleExample::readInfo(const QString &info)
{
    const QString language = info.section(QLatin1Char(' '), 0, 0);
    const QString rest = info.section(QLatin1Char(' '), 1).trimmed();
    // A shell block would hold commands that nothing runs: it has to say
    // whether it runs, as a console block.
    if (language == QLatin1String("sh") || language == QLatin1String("bash") || language == QLatin1String("shell")) {
        m_kind = Kind::Invalid;
        m_reason = QStringLiteral("a %1 block: write it as ```console, or ```console not-run: REASON").arg(language);
        return;
    }
    if (language != QLatin1String("console"))
        return;
    if (rest.isEmpty()) {
        m_kind = Kind::Runnable;
    } else if (rest.startsWith(QLatin1String("needs:"))) {
        m_kind = Kind::Runnable;
        m_needs = rest.mid(6).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    } else if (rest.startsWith(QLatin1String("not-run:")) && !rest.mid(8).trimmed().isEmpty()) {
        m_kind = Kind::NotRun;
        m_reason = rest.mid(8).trimmed();
    } else {
        m_kind = Kind::Invalid;
        m_reason = QStringLiteral("unknown console fence '%1': use 'console', 'console needs: TOOL' or "
                                  "'console not-run: REASON'")
                       .arg(info);
    }
}

void ConsoleExample::readSteps(const QStringList &lines)
{
    bool continued = false;
    for (const QString &line : lines) {
        if (continued) {
            m_steps.last().command += QLatin1Char('\n') + line;
            continued = line.endsWith(QLatin1Char('\\'));
        } else if (line.startsWith(prompt)) {
            m_steps.append({line.mid(prompt.size()), {}});
            continued = line.endsWith(QLatin1Char('\\'));
        } else if (m_steps.isEmpty()) {
            if (line.trimmed().isEmpty())
                continue;
            m_kind = Kind::Invalid;
            m_reason = QStringLiteral("output before the first command: '%1'").arg(line);
            return;
        } else {
            m_steps.last().expected.append(line);
        }
    }
    if (m_steps.isEmpty()) {
        m_kind = Kind::Invalid;
        m_reason = QStringLiteral("no command: a console block's commands start with '$ '");
    }
}
