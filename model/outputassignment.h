#pragma once

class Configuration;
class MemTable;

// The outputs page's work on zones: giving the current output to the marked available
// zones, taking it from the marked zones that hold it, the mark-all title buttons, and
// keeping each zone record's output link slots in step with the zone's r1 .. r16.
class OutputAssignment
{
public:
    // The title pictures of a mark column (MarkTitles).
    static constexpr int TitleCheck = 0;
    static constexpr int TitleCross = 2;

    explicit OutputAssignment(Configuration &configuration);

    // Gives the output table's current output to every marked zone of the available list
    // that does not hold it yet and has a free field; every mark there is cleared.
    void BitBtn4Click();
    // Takes the current output from every marked zone of the zone list; marks cleared.
    void BitBtn3Click();

    // The zones of the output: sets every listed mark (title showing the check), or clears
    // them; returns the picture the title shows now.
    int dbgAreaReturnTitleBtnClick(int titleIcon);
    // The available zones: inverts every mark, and flips the picture alike.
    int dbgAreaReturnAccTitleBtnClick(int titleIcon);

    // Output `number` (0 .. 7) of `module` into / out of zone record `zone`'s link slots,
    // when that output exists in the image.
    void AddReturnToAreaRecord(int zone, int module, int number);
    void RemoveReturnFromAreaRecord(int zone, int module, int number);

private:
    bool outputExists(int module, int number) const;

    Configuration &m_configuration;
};
