#pragma once
#include <QDialog>

// The window that lists and shows the recorded GO/NG tables.
class TForm_GoNGTable : public QDialog {
    Q_OBJECT
public:
    explicit TForm_GoNGTable(QWidget* parent = nullptr);
};
