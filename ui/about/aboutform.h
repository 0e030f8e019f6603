#pragma once

#include <QDialog>

// The about box: a picture of the panel with the product and the version; a click on
// the picture closes it.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ClientWidth = 344;
    static constexpr int ClientHeight = 322;
    static constexpr const char *PictureFile = ":/about/panel.svg";

    explicit TAboutForm(QWidget *parent = nullptr);

private:
    void ImageMouseUp();
};
