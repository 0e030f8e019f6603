#pragma once

#include <QWidget>

class Configuration;
class Notifier;

// "Настройки коммуникатора": the registration numbers, the two telephone numbers with
// their buttons, the dialling mode and attempts, and the test times. Placed at the
// page's top left; the window puts the notification list to its right, at x 453.
class CommunicatorPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Width = 446;
    static constexpr int Height = 557;

    CommunicatorPage(Configuration &configuration, Notifier &notifier, QWidget *parent = nullptr);
};
