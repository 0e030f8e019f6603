#pragma once

#include <QRect>
#include <QWidget>

class Configuration;
class Notifier;

// The technological module's address on the modules page: its caption and its box, at
// their place on the page.
class TechnologicalAddressBox : public QWidget
{
    Q_OBJECT

public:
    static constexpr QRect Area { 368, 133, 98, 66 }; // on the page

    TechnologicalAddressBox(Configuration &configuration, Notifier &notifier, QWidget *page);
};
