#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// A report as the program writes it, before it becomes an HTML page or printed pages:
// headings, captioned values, tables and notes, in reading order.
struct ReportTable
{
    QStringList titles; // the title row, repeated on every page the table runs over
    QList<QStringList> rows;
};

struct ReportBlock
{
    enum class Kind { Title, Section, Subsection, Facts, Table, Note, Signatures };

    Kind kind;
    QString text; // a heading's, a note's or the signature line's
    QList<std::pair<QString, QString>> facts; // caption, value
    ReportTable table;
};

struct ReportContent
{
    QString title;
    QList<ReportBlock> blocks;

    void add(ReportBlock::Kind kind, const QString &text) { blocks.append({ kind, text, {}, {} }); }
    void addFacts(QList<std::pair<QString, QString>> facts)
    {
        blocks.append({ ReportBlock::Kind::Facts, {}, std::move(facts), {} });
    }
    void addTable(QStringList titles, QList<QStringList> rows)
    {
        blocks.append({ ReportBlock::Kind::Table, {}, {}, { std::move(titles), std::move(rows) } });
    }
};
