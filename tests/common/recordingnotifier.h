#pragma once

#include <model/notifier.h>

#include <QStringList>

// Keeps what the user would have been told, in order and by kind; questions get `answer`.
class RecordingNotifier : public Notifier
{
public:
    void information(const QString &text) override
    {
        informations << text;
        messages << text;
    }
    void warning(const QString &text) override
    {
        warnings << text;
        messages << text;
    }
    void error(const QString &text) override
    {
        errors << text;
        messages << text;
    }
    bool question(const QString &text) override
    {
        questions << text;
        messages << text;
        return answer;
    }

    // Forgets what was told; the answer stays.
    void clear()
    {
        for (QStringList *list : { &messages, &informations, &warnings, &questions, &errors })
            list->clear();
    }

    QStringList messages;
    QStringList informations;
    QStringList warnings;
    QStringList questions;
    QStringList errors;
    bool answer = false;
};
