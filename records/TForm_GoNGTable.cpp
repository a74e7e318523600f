#include "records/TForm_GoNGTable.h"

TForm_GoNGTable::TForm_GoNGTable(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_GoNGTable"));
    setWindowTitle(QStringLiteral("GO/NG Table"));
}
