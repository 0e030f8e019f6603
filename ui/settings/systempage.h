#pragma once

#include <QWidget>

class Configuration;
class Notifier;

// "Конфигурация системы": the information message, the relay and communicator switches
// and the users' access codes. Placed at the page's top left; the window puts the
// day/night grid to its right, at x 519.
class SystemPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Width = 512;
    static constexpr int Height = 557;

    SystemPage(Configuration &configuration, Notifier &notifier, QWidget *parent = nullptr);
};
