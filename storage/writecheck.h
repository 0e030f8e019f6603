#pragma once

#include <QStringList>

class Configuration;

// What a write (or a save) would leave out or get wrong, found before it happens: the
// image holds 248 detector channels and 8 outputs a module, loop addresses 2 .. 129,
// nothing of a module that is off, and an eight-channel module's input only where no
// output 7 or 8 takes its record, a telephone number with room for its end mark, and a
// dialling mode that is one of the two.
// Each problem is one line in an installer's words,
// naming the module, the address and the zone; none means the image will hold it all.
// Outputs are numbered from 1, as the lists number them.
namespace WriteCheck {

QStringList problems(const Configuration &config);

} // namespace WriteCheck
