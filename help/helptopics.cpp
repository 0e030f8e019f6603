#include <help/helptopics.h>

#include <help/manualcheck.h>

namespace HelpTopics {

QString manualUrl()
{
    return QStringLiteral("qrc:/manual/manual.html");
}

const QList<HelpTopic> &all()
{
    static const QList<HelpTopic> topics = {
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet1"), QStringLiteral("zones") },
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet7"), QStringLiteral("modules") },
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet2"), QStringLiteral("outputs") },
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet3"), QStringLiteral("inputs") },
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet4"), QStringLiteral("system") },
        { QStringLiteral("MainForm"), QStringLiteral("TabSheet6"), QStringLiteral("communicator") },
        { QStringLiteral("SetupDialog"), {}, QStringLiteral("port") },
        { QStringLiteral("ZoneForm"), {}, QStringLiteral("zone-devices") },
        { QStringLiteral("ReturnForm"), {}, QStringLiteral("zone-outputs") },
        { QStringLiteral("NewSensorForm"), {}, QStringLiteral("new-devices") },
        { QStringLiteral("ProgressForm"), {}, QStringLiteral("progress") },
        { QStringLiteral("BackupsForm"), {}, QStringLiteral("backups") },
        { QStringLiteral("ComparisonForm"), {}, QStringLiteral("compare") },
        { QStringLiteral("AboutForm"), {}, QStringLiteral("about") },
        { QStringLiteral("FindDialog"), {}, QStringLiteral("find") },
        { QStringLiteral("MessageBox"), {}, QStringLiteral("messages") },
    };
    return topics;
}

QString sectionFor(const QString &window, const QString &page)
{
    for (const HelpTopic &topic : all()) {
        if (topic.window == window && (topic.page.isEmpty() || topic.page == page))
            return topic.section;
    }
    return ManualCheck::contentsId();
}

} // namespace HelpTopics
