#include <report/reportdocument.h>

#include <messages/messages.h>
#include <report/reporthtml.h>
#include <systemerror/systemerror.h>

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

enum class Role { Body, Bold, Title, Section, Subsection, Note, Count };

// The report's type faces, measured for the device they are drawn on.
class Fonts
{
public:
    explicit Fonts(QPaintDevice &device)
    {
        const auto add = [&](qreal points, bool bold, bool italic) {
            QFont font(QStringLiteral("Arial"));
            font.setPointSizeF(points);
            font.setBold(bold);
            font.setItalic(italic);
            m_fonts.push_back(font);
            m_metrics.emplace_back(font, &device);
        };
        add(9, false, false); // Body
        add(9, true, false); // Bold
        add(15, true, false); // Title
        add(12, true, false); // Section
        add(10, true, false); // Subsection
        add(8.5, false, true); // Note
    }

    const QFont &font(Role role) const { return m_fonts.at(size_t(role)); }
    const QFontMetricsF &metrics(Role role) const { return m_metrics.at(size_t(role)); }

private:
    std::vector<QFont> m_fonts;
    std::vector<QFontMetricsF> m_metrics;
};

// One thing drawn on a page, in the page body's coordinates.
struct Piece
{
    enum class Kind { Line, WrappedText, Text, Fill };

    Kind kind;
    Role role;
    QRectF rect; // a line runs from its top left to its bottom right
    QString text;
};

using Page = std::vector<Piece>;

// Column widths for `available`, as a browser sets them: a table that fits is widened in
// proportion to its columns, so that lists line up across sections; one that does not
// gives each column its longest word and shares the rest by how much more each would take.
std::vector<qreal> columnWidths(const std::vector<qreal> &natural, const std::vector<qreal> &least, qreal available)
{
    const qreal total = std::accumulate(natural.cbegin(), natural.cend(), 0.0);
    std::vector<qreal> widths(natural.size());
    if (total <= available) {
        for (size_t c = 0; c < natural.size(); ++c)
            widths[c] = natural[c] * available / total;
        return widths;
    }
    const qreal leastTotal = std::accumulate(least.cbegin(), least.cend(), 0.0);
    if (leastTotal >= available) {
        for (size_t c = 0; c < least.size(); ++c)
            widths[c] = least[c] * available / leastTotal;
        return widths;
    }
    const qreal wanted = total - leastTotal;
    for (size_t c = 0; c < natural.size(); ++c)
        widths[c] = least[c] + (natural[c] - least[c]) * (available - leastTotal) / wanted;
    return widths;
}

// The report flowed onto pages of `area` size, less the foot each page keeps for its number.
class PageFlow
{
public:
    PageFlow(QPaintDevice &device, const QSizeF &area)
        : m_fonts(device),
          m_footer(2 * m_fonts.metrics(Role::Note).height()),
          m_body(area.width(), area.height() - m_footer),
          m_dpi(device.logicalDpiY()),
          m_pages(1)
    {
    }

    const Fonts &fonts() const { return m_fonts; }
    const std::vector<Page> &pages() const { return m_pages; }
    QRectF foot() const { return QRectF(0, m_body.height(), m_body.width(), m_footer); }

    void lay(const ReportBlock &block)
    {
        switch (block.kind) {
        case ReportBlock::Kind::Title:
            heading(Role::Title, block.text, 0);
            return;
        case ReportBlock::Kind::Section:
            heading(Role::Section, block.text, points(12));
            return;
        case ReportBlock::Kind::Subsection:
            heading(Role::Subsection, block.text, points(7));
            return;
        case ReportBlock::Kind::Note:
            paragraph(Role::Note, block.text, points(2));
            return;
        case ReportBlock::Kind::Signatures:
            paragraph(Role::Body, block.text, points(28));
            return;
        case ReportBlock::Kind::Facts:
            facts(block.facts);
            return;
        case ReportBlock::Kind::Table:
            table(block.table);
            return;
        }
    }

private:
    qreal points(qreal value) const { return value * m_dpi / 72.0; }
    qreal lineHeight(Role role) const { return m_fonts.metrics(role).height(); }
    bool fits(qreal height) const { return m_y + height <= m_body.height(); }

    void newPage()
    {
        m_pages.emplace_back();
        m_y = 0;
    }

    void space(qreal height)
    {
        if (m_y > 0)
            m_y = std::min(m_y + height, m_body.height());
    }

    // The height `text` takes in `width`, and whether it needs more than one line.
    std::pair<qreal, bool> textHeight(Role role, const QString &text, qreal advance, qreal width) const
    {
        if (advance <= width)
            return { lineHeight(role), false };
        const QRectF wrapped = m_fonts.metrics(role).boundingRect(QRectF(0, 0, width, 1e9),
                                                                  Qt::AlignLeft | Qt::TextWordWrap, text);
        return { std::max(wrapped.height(), lineHeight(role)), true };
    }

    void place(Role role, const QRectF &rect, const QString &text, bool wrapped)
    {
        m_pages.back().push_back({ wrapped ? Piece::Kind::WrappedText : Piece::Kind::Text, role, rect, text });
    }

    void line(const QPointF &from, const QPointF &to)
    {
        m_pages.back().push_back({ Piece::Kind::Line, Role::Body, QRectF(from, to), {} });
    }

    // A heading never ends a page: a few lines of what follows go with it.
    void heading(Role role, const QString &text, qreal before)
    {
        space(before);
        const auto [height, wrapped] =
                textHeight(role, text, m_fonts.metrics(role).horizontalAdvance(text), m_body.width());
        if (!fits(height + points(3) + 4 * lineHeight(Role::Body)))
            newPage();
        place(role, QRectF(0, m_y, m_body.width(), height), text, wrapped);
        m_y += height + points(3);
    }

    void paragraph(Role role, const QString &text, qreal before)
    {
        space(before);
        const auto [height, wrapped] =
                textHeight(role, text, m_fonts.metrics(role).horizontalAdvance(text), m_body.width());
        if (!fits(height))
            newPage();
        place(role, QRectF(0, m_y, m_body.width(), height), text, wrapped);
        m_y += height + points(3);
    }

    void facts(const QList<std::pair<QString, QString>> &pairs)
    {
        const QFontMetricsF &metrics = m_fonts.metrics(Role::Body);
        qreal captionWidth = 0;
        for (const auto &pair : pairs)
            captionWidth = std::max(captionWidth, metrics.horizontalAdvance(pair.first + QLatin1Char(':')));
        captionWidth = std::min(captionWidth + points(8), m_body.width() / 2);
        const qreal valueWidth = m_body.width() - captionWidth;
        for (const auto &[caption, value] : pairs) {
            const QString shownCaption = caption + QLatin1Char(':');
            const auto [captionHeight, captionWrapped] =
                    textHeight(Role::Body, shownCaption, metrics.horizontalAdvance(shownCaption), captionWidth - points(8));
            const auto [valueHeight, valueWrapped] =
                    textHeight(Role::Body, value, metrics.horizontalAdvance(value), valueWidth);
            const qreal height = std::max(captionHeight, valueHeight);
            if (!fits(height))
                newPage();
            place(Role::Body, QRectF(0, m_y, captionWidth - points(8), height), shownCaption, captionWrapped);
            place(Role::Body, QRectF(captionWidth, m_y, valueWidth, height), value, valueWrapped);
            m_y += height;
        }
        m_y += points(4);
    }

    void table(const ReportTable &table)
    {
        const size_t columns = size_t(table.titles.size());
        const qreal padX = points(3);
        const qreal padY = points(1.2);
        const QFontMetricsF &body = m_fonts.metrics(Role::Body);
        const QFontMetricsF &bold = m_fonts.metrics(Role::Bold);

        // Each text is measured once: a large panel's lists hold some 40,000 cells.
        const auto longestWord = [](const QFontMetricsF &metrics, const QString &text) {
            qreal longest = 0;
            for (const QStringView word : QStringView(text).split(QLatin1Char(' ')))
                longest = std::max(longest, metrics.horizontalAdvance(word.toString()));
            return longest;
        };
        std::vector<qreal> natural(columns, 0);
        std::vector<qreal> least(columns, 0);
        std::vector<qreal> titleAdvance(columns);
        for (size_t c = 0; c < columns; ++c) {
            titleAdvance[c] = bold.horizontalAdvance(table.titles.at(int(c)));
            // A title may wrap at its words, so only its longest word claims width.
            least[c] = natural[c] = longestWord(bold, table.titles.at(int(c)));
        }
        std::vector<qreal> advance(size_t(table.rows.size()) * columns);
        for (qsizetype r = 0; r < table.rows.size(); ++r) {
            const QStringList &row = table.rows.at(r);
            for (size_t c = 0; c < columns && qsizetype(c) < row.size(); ++c) {
                const qreal width = body.horizontalAdvance(row.at(qsizetype(c)));
                advance[size_t(r) * columns + c] = width;
                natural[c] = std::max(natural[c], width);
            }
        }
        const qreal padding = 2 * padX;
        const qreal naturalTotal = std::accumulate(natural.cbegin(), natural.cend(), 0.0) + columns * padding;
        if (naturalTotal > m_body.width()) {
            // Only a table that must wrap needs its words measured.
            for (qsizetype r = 0; r < table.rows.size(); ++r) {
                const QStringList &row = table.rows.at(r);
                for (size_t c = 0; c < columns && qsizetype(c) < row.size(); ++c) {
                    const QString &cell = row.at(qsizetype(c));
                    least[c] = std::max(least[c], cell.contains(QLatin1Char(' '))
                                                          ? longestWord(body, cell)
                                                          : advance[size_t(r) * columns + c]);
                }
            }
        }
        for (size_t c = 0; c < columns; ++c) {
            least[c] = std::min(least[c], m_body.width() / 3) + padding;
            natural[c] = std::max(natural[c] + padding, least[c]);
        }
        const std::vector<qreal> widths = columnWidths(natural, least, m_body.width());
        std::vector<qreal> left(columns + 1, 0);
        std::partial_sum(widths.cbegin(), widths.cend(), left.begin() + 1);

        qreal segmentTop = m_y;
        const auto closeSegment = [&] {
            for (const qreal x : left)
                line(QPointF(x, segmentTop), QPointF(x, m_y));
        };
        const auto titleRow = [&] {
            qreal height = 0;
            std::vector<std::pair<qreal, bool>> cells(columns);
            for (size_t c = 0; c < columns; ++c) {
                cells[c] = textHeight(Role::Bold, table.titles.at(int(c)), titleAdvance[c], widths[c] - 2 * padX);
                height = std::max(height, cells[c].first);
            }
            height += 2 * padY;
            segmentTop = m_y;
            m_pages.back().push_back(
                    { Piece::Kind::Fill, Role::Body, QRectF(0, m_y, m_body.width(), height), {} });
            line(QPointF(0, m_y), QPointF(m_body.width(), m_y));
            for (size_t c = 0; c < columns; ++c) {
                place(Role::Bold, QRectF(left[c] + padX, m_y + padY, widths[c] - 2 * padX, height - 2 * padY),
                      table.titles.at(int(c)), cells[c].second);
            }
            m_y += height;
            line(QPointF(0, m_y), QPointF(m_body.width(), m_y));
        };

        // The title row and the first row stay together.
        if (!fits(4 * lineHeight(Role::Body)))
            newPage();
        titleRow();
        std::vector<std::pair<qreal, bool>> cells(columns);
        for (qsizetype r = 0; r < table.rows.size(); ++r) {
            const QStringList &row = table.rows.at(r);
            qreal height = 0;
            for (size_t c = 0; c < columns && qsizetype(c) < row.size(); ++c) {
                cells[c] = textHeight(Role::Body, row.at(qsizetype(c)), advance[size_t(r) * columns + c],
                                      widths[c] - 2 * padX);
                height = std::max(height, cells[c].first);
            }
            height += 2 * padY;
            if (!fits(height)) {
                closeSegment();
                newPage();
                titleRow();
            }
            for (size_t c = 0; c < columns && qsizetype(c) < row.size(); ++c) {
                place(Role::Body, QRectF(left[c] + padX, m_y + padY, widths[c] - 2 * padX, height - 2 * padY),
                      row.at(qsizetype(c)), cells[c].second);
            }
            m_y += height;
            line(QPointF(0, m_y), QPointF(m_body.width(), m_y));
        }
        closeSegment();
        m_y += points(4);
    }

    Fonts m_fonts;
    qreal m_footer;
    QSizeF m_body;
    qreal m_dpi;
    std::vector<Page> m_pages;
    qreal m_y = 0;
};

void paintPiece(QPainter &painter, const Fonts &fonts, const Piece &piece)
{
    switch (piece.kind) {
    case Piece::Kind::Line:
        painter.drawLine(piece.rect.topLeft(), piece.rect.bottomRight());
        return;
    case Piece::Kind::Fill:
        painter.fillRect(piece.rect, QColor(230, 230, 230));
        return;
    case Piece::Kind::Text:
        painter.setFont(fonts.font(piece.role));
        painter.drawText(QPointF(piece.rect.left(), piece.rect.top() + fonts.metrics(piece.role).ascent()), piece.text);
        return;
    case Piece::Kind::WrappedText:
        painter.setFont(fonts.font(piece.role));
        painter.drawText(piece.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, piece.text);
        return;
    }
}

} // namespace

namespace ReportDocument {

QPageLayout a4()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                       QPageLayout::Millimeter);
}

bool isPdf(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
}

int paint(const ReportContent &content, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const QRectF area = device.pageLayout().paintRectPixels(device.logicalDpiX());
    PageFlow flow(device, area.size());
    for (const ReportBlock &block : content.blocks)
        flow.lay(block);

    const int count = int(flow.pages().size());
    QPen rule(QColor(128, 128, 128));
    rule.setWidthF(device.logicalDpiX() / 150.0);
    for (int page = 0; page < count; ++page) {
        if (page > 0)
            device.newPage();
        bool ruling = false;
        painter.setPen(Qt::black);
        for (const Piece &piece : flow.pages().at(size_t(page))) {
            const bool isLine = piece.kind == Piece::Kind::Line;
            if (isLine != ruling) {
                painter.setPen(isLine ? rule : QPen(Qt::black));
                ruling = isLine;
            }
            paintPiece(painter, flow.fonts(), piece);
        }
        painter.setPen(Qt::black);
        painter.setFont(flow.fonts().font(Role::Note));
        painter.drawText(flow.foot(), Qt::AlignLeft | Qt::AlignBottom, content.title);
        painter.drawText(flow.foot(), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Страница %1 из %2").arg(page + 1).arg(count));
    }
    painter.end();
    return count;
}

bool save(const ReportContent &content, const QString &fileName, QString *error, int *pages)
{
    QSaveFile file(fileName);
    int code = 0;
    const auto failed = [&](const QString &reason) {
        *error = message(MessageId::ReportNotWritten).arg(fileName, reason);
        return false;
    };
    if (!SystemError::attempt([&] { return file.open(QIODevice::WriteOnly); }, code))
        return failed(SystemError::describe(file, code));
    if (isPdf(fileName)) {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Mirvane"));
        writer.setTitle(content.title);
        writer.setResolution(600);
        writer.setPageLayout(a4());
        const int painted = paint(content, writer);
        if (pages)
            *pages = painted;
        if (painted == 0)
            return failed(message(MessageId::PagesNotPainted));
    } else {
        const QByteArray bytes = reportHtml(content).toUtf8();
        if (!SystemError::attempt([&] { return file.write(bytes) == bytes.size(); }, code))
            return failed(SystemError::describe(file, code));
    }
    if (!SystemError::attempt([&] { return file.commit(); }, code))
        return failed(SystemError::describe(file, code));
    return true;
}

} // namespace ReportDocument
