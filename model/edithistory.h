#pragma once

#include <model/configuration.h>
#include <model/memtable.h>
#include <model/systemsettings.h>

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QVector>

#include <array>
#include <deque>
#include <vector>


// The steps a person took on the configuration, to take back and take again. A step is
// everything that changed between two commits: the window commits once each action has
// run, so one action is one step however many rows, records and settings its rules touch.
// A step keeps the cells that changed (whole columns where most of one did, or rows came or
// went), where the lists stood, the settings, and the bytes of the image that differ. What
// the last step left is kept whole, its columns and image shared with the configuration
// until written, which tells cheaply what a commit has to look at. Opening a file, the
// factory settings and a read replace the configuration and start the history afresh.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxSteps = 200;

    explicit EditHistory(Configuration &config, QObject *parent = nullptr);

    // What the next step is called, e.g. "Устройства зоны 12"; the first name given before
    // a commit holds, so the outermost action names the step.
    void nameNextStep(const QString &name);
    // Takes what changed since the last step as a new one, and forgets the steps undone;
    // false when nothing changed. A move of the current rows or of a filter alone is no
    // step, but is where the next step starts from.
    bool commit();

    // What the configuration holds now is where the next step starts, though no step led
    // here: the image a save or a write builds from the tables is no change of a person's.
    void rebase();

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    QString undoName() const;
    QString redoName() const;
    int undoCount() const { return int(m_undo.size()); }

    // "Поиск: 3 устройства": the step of the devices a search recorded.
    static QString searchStepName(int devices);

    // A change not yet committed is committed first, so it is what undo takes back.
    bool undo();
    bool redo();
    void clear();

signals:
    // What undo and redo would do, or whether they can, may have changed.
    void changed();

private:
    struct State
    {
        std::array<MemTable::Contents, Configuration::TableCount> tables;
        SystemSettings settings;
        QByteArray image;
    };
    // A column's change: the cells that changed, or the whole column when many did or rows
    // came or went. Cells keep a step small: a whole column of the device list is 64 KB.
    struct ColumnChange
    {
        int field;
        bool whole;
        QVector<int> rows; // the cells', in both sides' order; empty for a whole column
        QVector<QVariant> before;
        QVector<QVariant> after;
    };
    // Where a list stood: its filter and its current row.
    struct View
    {
        RowFilter filter;
        bool filtered = false;
        int current = -1;
    };
    struct TableChange
    {
        int table;
        int rowsBefore;
        int rowsAfter;
        QVector<ColumnChange> columns;
        View before;
        View after;
    };
    struct ImageChange
    {
        int offset;
        QByteArray before;
        QByteArray after;
    };
    struct Step
    {
        QString name;
        std::vector<TableChange> tables;
        bool settingsChanged = false;
        SystemSettings settingsBefore;
        SystemSettings settingsAfter;
        QVector<ImageChange> image;
    };
    enum class Side { Before, After };

    QString unnamedStepName(const Step &step) const;
    static TableChange tableChange(int table, const MemTable::Contents &before, const MemTable::Contents &after);
    State current() const;
    void apply(const Step &step, Side side);

    Configuration &m_config;
    State m_base; // the configuration as the last step left it
    QString m_nextName;
    std::deque<Step> m_undo;
    std::deque<Step> m_redo;
};
