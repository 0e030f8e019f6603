#pragma once

#include <QString>

// The progress window of a memory transfer, as the transfer drives it.
class TransferProgress
{
public:
    virtual ~TransferProgress() = default;
    // Shows the window (a fresh one, or the one left open by an unfinished transfer),
    // sets its text and the bar's maximum; the window also copies the text to the status bar.
    virtual void start(const QString &text, int maximum) = 0;
    virtual void advance() = 0;
    virtual void finish() = 0;
};
