#pragma once

#include <ui/grid/picturelist.h>
#include <ui/grid/titlecells.h>

#include <QHash>
#include <QHeaderView>
#include <QSet>

// A grid's column header with banded titles (see titlecells.h), read from the model's
// horizontal header texts. A column may show a title picture in its lowest cell instead
// of the text, and may make that cell a button. Sorting is never offered.
class BandedHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit BandedHeader(QWidget *parent = nullptr);

    // ":/icons/title/<icon>.svg"; -1 for none, the text instead.
    int titleIcon(int column) const { return m_icons.value(column, -1); }
    void setTitleIcon(int column, int icon);
    bool isTitleButton(int column) const { return m_buttons.contains(column); }
    void setTitleButton(int column, bool button);

    // One line of text a level.
    int levelHeight() const;
    // Lines of the header: the deepest title's, or more where a lowest title needs them to
    // wrap rather than be cut.
    int levels() const;
    // The cells as drawn, in section coordinates (the header's scroll offset not applied).
    QVector<TitleCell> cells() const { return titleCells(titleColumns(), levelHeight(), levels()); }

    QSize sizeHint() const override;

signals:
    // The lowest title cell of a button column was clicked: pressed and released there,
    // without a drag or a resize between.
    void titleButtonClicked(int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    QVector<TitleColumn> titleColumns() const;
    int wrappedLines(const QString &text, int width) const;
    void paintCell(QPainter &painter, const TitleCell &cell, const QRect &rect) const;
    int buttonAt(const QPoint &position) const;

    QHash<int, int> m_icons;
    QSet<int> m_buttons;
    PictureList m_pictures { QStringLiteral("title") };
    int m_pressedButton = -1;
    int m_pressedWidth = 0; // a press that resizes the column is no click
    QPoint m_pressedAt;
    bool m_dragged = false; // nor one that drags it, even back to its own place
};
