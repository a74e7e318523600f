#pragma once
#include <QDialog>

// The large plot window.
class TForm_DisplayPlot : public QDialog {
    Q_OBJECT
public:
    explicit TForm_DisplayPlot(QWidget* parent = nullptr);
};
