#include "records/TForm_DisplayPlot.h"

TForm_DisplayPlot::TForm_DisplayPlot(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_DisplayPlot"));
    setWindowTitle(QStringLiteral("Plot"));
}
