#pragma once

#include <QList>
#include <QString>

// Where F1 opens the manual: at the section about the window in use or, in the main
// window, about the page shown. Windows and pages are known by their object names.
struct HelpTopic
{
    QString window;
    QString page; // empty: the window as a whole
    QString section; // the anchor of the manual's heading
};

namespace HelpTopics {

// The manual, as the program carries it in its resources.
QString manualUrl();

const QList<HelpTopic> &all();

// The section for a window (and its page); the manual's beginning for a window it does not describe.
QString sectionFor(const QString &window, const QString &page = {});

} // namespace HelpTopics
