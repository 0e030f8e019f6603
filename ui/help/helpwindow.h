#pragma once

#include <QTextDocument>
#include <QWidget>

#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

// The user's manual: its text with the headings as contents beside it, back and forward
// through the places visited, and find in the text.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the manual at the heading whose anchor is `section`.
    void openAt(const QString &section);

    QTextBrowser *browser() const { return m_browser; }
    // The anchor of the section being read, as the contents show it.
    QString currentSection() const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Heading
    {
        int position; // in the document
        QTreeWidgetItem *item;
    };

    void buildContents();
    void followReading();
    void markSection(const QString &section);
    void goTo(const QTreeWidgetItem *item);
    void find(QTextDocument::FindFlags flags);
    QUrl manualAt(const QString &section) const;

    QTextBrowser *m_browser;
    QTreeWidget *m_contents;
    QLineEdit *m_findBox;
    QLabel *m_findResult;
    QAction *m_back;
    QAction *m_forward;
    std::vector<Heading> m_headings; // in the document's order
};
