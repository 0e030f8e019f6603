#pragma once

#include <QString>

class QTime;

// How the last exchange of a memory transfer ended, for the status bar.
struct TransferOutcome
{
    enum class Kind { Write, Read, Compare, WorkingMode };
    enum class End {
        Done, // and the panel confirmed going back to work
        Stopped, // the blocks stopped at `block`; 0: before the first
        VerifyDiffers, // written whole; the panel holds something else
        VerifyStopped, // written whole; the check stopped at `block`
        NotLoaded, // read whole; what came does not load as settings
        NoWorkingMode, // done, but the panel did not confirm going back to work
    };

    Kind kind = Kind::WorkingMode;
    End end = End::Done;
    bool verified = false; // a write read back and found as sent
    int block = 0;

    bool succeeded() const { return end == End::Done; }
    // One space first, as hints stand in the status bar: " Записано в прибор и проверено 10:42".
    QString statusText(const QTime &at) const;

    friend bool operator==(const TransferOutcome &a, const TransferOutcome &b)
    {
        return a.kind == b.kind && a.end == b.end && a.verified == b.verified && a.block == b.block;
    }
};
