#include <ui/help/helpwindow.h>

#include <help/helptopics.h>

#include <QAction>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int ContentsWidth = 200;
// The widest pictures of the manual are the main window's, 874 pixels, with the page's
// margins and a scroll bar beside them.
constexpr int ReadingWidth = 950;
constexpr int WindowHeight = 760;
constexpr int HeadingLevels = 3;

QString anchorOf(const QTextBlock &block)
{
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QStringList names = it.fragment().charFormat().anchorNames();
        if (!names.isEmpty())
            return names.constFirst();
    }
    return {};
}

QToolButton *toolButton(QAction *action, const QString &name, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAccessibleName(action->text());
    button->setAutoRaise(true);
    return button;
}

QAction *action(const QString &text, QStyle::StandardPixmap icon, const QKeySequence &key, QWidget *window)
{
    auto *action = new QAction(window->style()->standardIcon(icon), text, window);
    action->setShortcut(key);
    action->setToolTip(u"%1 (%2)"_s.arg(text, key.toString(QKeySequence::NativeText)));
    window->addAction(action); // the keys work wherever the focus is in the window
    return action;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"Руководство пользователя"_s);

    m_back = action(u"Назад"_s, QStyle::SP_ArrowBack, QKeySequence(Qt::ALT | Qt::Key_Left), this);
    m_back->setObjectName(u"Back"_s);
    m_forward = action(u"Вперёд"_s, QStyle::SP_ArrowForward, QKeySequence(Qt::ALT | Qt::Key_Right), this);
    m_forward->setObjectName(u"Forward"_s);
    QAction *previous = action(u"Предыдущее"_s, QStyle::SP_ArrowUp, QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    previous->setObjectName(u"FindPrevious"_s);
    QAction *next = action(u"Следующее"_s, QStyle::SP_ArrowDown, QKeySequence(Qt::Key_F3), this);
    next->setObjectName(u"FindNext"_s);

    m_findBox = new QLineEdit(this);
    m_findBox->setObjectName(u"FindBox"_s);
    m_findBox->setAccessibleName(u"Найти"_s);
    m_findBox->setPlaceholderText(u"Текст для поиска"_s);
    m_findBox->setClearButtonEnabled(true);
    m_findBox->setMinimumWidth(200);
    auto *findLabel = new QLabel(u"&Найти:"_s, this);
    findLabel->setBuddy(m_findBox);
    m_findResult = new QLabel(this);
    m_findResult->setObjectName(u"FindResult"_s);
    m_findResult->setAccessibleName(u"Итог поиска"_s);

    auto *bar = new QHBoxLayout;
    bar->addWidget(toolButton(m_back, u"BackButton"_s, this));
    bar->addWidget(toolButton(m_forward, u"ForwardButton"_s, this));
    bar->addStretch(1);
    bar->addWidget(m_findResult);
    bar->addSpacing(8);
    bar->addWidget(findLabel);
    bar->addWidget(m_findBox);
    bar->addWidget(toolButton(previous, u"FindPreviousButton"_s, this));
    bar->addWidget(toolButton(next, u"FindNextButton"_s, this));

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(u"Contents"_s);
    m_contents->setAccessibleName(u"Содержание"_s);
    m_contents->setHeaderLabel(u"Содержание"_s);
    m_contents->header()->setSectionsClickable(false);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"Manual"_s);
    m_browser->setAccessibleName(u"Текст руководства"_s);
    m_browser->setOpenExternalLinks(false);
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(u"Splitter"_s);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({ ContentsWidth, ReadingWidth });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl &url) { markSection(url.fragment()); });
    connect(m_browser->verticalScrollBar(), &QScrollBar::valueChanged, this, &HelpWindow::followReading);
    connect(m_contents, &QTreeWidget::itemClicked, this, &HelpWindow::goTo);
    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpWindow::goTo);

    connect(previous, &QAction::triggered, this, [this] { find(QTextDocument::FindBackward); });
    connect(next, &QAction::triggered, this, [this] { find({}); });
    connect(m_findBox, &QLineEdit::returnPressed, this, [this] { find({}); });
    connect(m_findBox, &QLineEdit::textEdited, m_findResult, &QLabel::clear);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this), &QShortcut::activated, this, [this] {
        m_findBox->setFocus(Qt::ShortcutFocusReason);
        m_findBox->selectAll();
    });

    QSize size(ContentsWidth + ReadingWidth, WindowHeight);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    m_browser->setFocus();
}

void HelpWindow::openAt(const QString &section)
{
    const QUrl url = manualAt(section);
    const bool loading = m_browser->source().adjusted(QUrl::RemoveFragment) != url.adjusted(QUrl::RemoveFragment);
    m_browser->setSource(url);
    if (loading)
        buildContents();
    markSection(section);
}

QString HelpWindow::currentSection() const
{
    const QTreeWidgetItem *item = m_contents->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

QUrl HelpWindow::manualAt(const QString &section) const
{
    QUrl url(HelpTopics::manualUrl());
    url.setFragment(section);
    return url;
}

// The headings that carry an anchor, each under the nearest higher one before it.
void HelpWindow::buildContents()
{
    m_contents->clear();
    m_headings.clear();
    std::array<QTreeWidgetItem *, HeadingLevels> lastAt {};
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        const QString anchor = level >= 1 && level <= HeadingLevels ? anchorOf(block) : QString();
        if (anchor.isEmpty())
            continue;
        QTreeWidgetItem *parent = nullptr;
        for (int higher = level - 1; higher >= 1 && !parent; --higher)
            parent = lastAt.at(higher - 1);
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
        item->setText(0, block.text().simplified());
        item->setData(0, Qt::UserRole, anchor);
        lastAt.at(level - 1) = item;
        std::fill(lastAt.begin() + level, lastAt.end(), nullptr);
        m_headings.push_back({ block.position(), item });
    }
    m_contents->expandAll();
}

// The section read is the last whose heading is at or above the top of the text shown.
void HelpWindow::followReading()
{
    const int top = m_browser->cursorForPosition(QPoint(0, m_browser->fontMetrics().height())).position();
    const auto after = std::upper_bound(m_headings.cbegin(), m_headings.cend(), top,
                                        [](int position, const Heading &heading) { return position < heading.position; });
    if (after != m_headings.cbegin())
        m_contents->setCurrentItem(std::prev(after)->item);
}

// A heading too near the end to come to the top is still the one gone to.
void HelpWindow::markSection(const QString &section)
{
    for (const Heading &heading : m_headings) {
        if (heading.item->data(0, Qt::UserRole).toString() == section) {
            m_contents->setCurrentItem(heading.item);
            m_contents->scrollToItem(heading.item);
            return;
        }
    }
}

void HelpWindow::goTo(const QTreeWidgetItem *item)
{
    if (item)
        m_browser->setSource(manualAt(item->data(0, Qt::UserRole).toString()));
}

// From what is shown on, round the end of the text to its other end when need be; the
// text stays where it is when nothing is found.
void HelpWindow::find(QTextDocument::FindFlags flags)
{
    const QString text = m_findBox->text();
    if (text.isEmpty()) {
        m_findBox->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QTextDocument *document = m_browser->document();
    QTextCursor from = m_browser->textCursor();
    if (!m_browser->viewport()->rect().intersects(m_browser->cursorRect()))
        from = m_browser->cursorForPosition(QPoint(0, 0));
    QTextCursor found = document->find(text, from, flags);
    const bool backward = flags.testFlag(QTextDocument::FindBackward);
    const bool wrapped = found.isNull();
    if (wrapped) {
        QTextCursor end(m_browser->document());
        end.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        found = document->find(text, end, flags);
    }
    if (found.isNull()) {
        m_findResult->setText(u"«%1» не найдено"_s.arg(text));
        return;
    }
    m_browser->setTextCursor(found);
    m_findResult->setText(!wrapped ? QString()
                                   : backward ? u"Поиск продолжен с конца"_s : u"Поиск продолжен с начала"_s);
}

// Esc closes the manual even during a transfer, whose Esc reaches every window: the reader
// means the window in front, and a write to the panel is not to be cut short by it.
bool HelpWindow::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape
        && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void HelpWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
