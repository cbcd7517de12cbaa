#ifndef KORVUCHECK_OUTPUTEXCERPT_H
#define KORVUCHECK_OUTPUTEXCERPT_H

#include <QString>
#include <QStringList>

// The head and the tail of a long console output within a limit of
// characters: the start says how the run was set up, the end how it broke off.
class OutputExcerpt
{
public:
    explicit OutputExcerpt(int limit);

    void addLine(const QString &line);
    bool isEmpty() const;
    // The lines kept, with "[... N lines left out ...]" between head and tail.
    QString text() const;

private:
    int m_limit;
    QStringList m_head;
    int m_headSize = 0;
    QStringList m_tail;
    int m_tailSize = 0;
    int m_omittedLines = 0;
};

#endif // KORVUCHECK_OUTPUTEXCERPT_H
