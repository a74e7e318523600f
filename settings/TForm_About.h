#pragma once
#include <QDialog>

// The About window: the program's name and version.
class TForm_About : public QDialog {
    Q_OBJECT
public:
    explicit TForm_About(QWidget* parent = nullptr);
};
