#pragma once

#include <QTabWidget>

// Pages whose tabs are as wide as their captions need, with a narrow margin. The styles' own
// padding, with Tahoma at its Windows metrics, would not fit the main window's six captions
// into its width, and the last tabs would hide behind scroll arrows.
class PageControl : public QTabWidget
{
    Q_OBJECT

public:
    explicit PageControl(QWidget *parent = nullptr);
};
