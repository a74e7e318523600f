#include "panel/NumericEdit.h"

#include "link/ReadNumber.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

NumericEdit::NumericEdit(QWidget* parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_unit(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_unit);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unit->setVisible(false); // until there is a unit to show
    setFocusProxy(m_edit);
    setSizePolicy(m_edit->sizePolicy());

    connect(m_edit, &QLineEdit::editingFinished, this, &NumericEdit::commit);
    // Tests and the window reach the inner box by name.
    connect(this, &QObject::objectNameChanged, this,
            [this](const QString& name) { m_edit->setObjectName(name.isEmpty() ? QString() : name + QStringLiteral("_edit")); });
    showValue();
}

void NumericEdit::setValue(double value)
{
    if (!std::isfinite(value))
        return;
    store(limited(value));
    showValue();
}

void NumericEdit::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 15);
    showValue();
}

QString NumericEdit::unitText() const { return m_unit->text(); }

void NumericEdit::setUnitText(const QString& unit)
{
    m_unit->setText(unit);
    m_unit->setVisible(m_showUnit && !unit.isEmpty());
}

void NumericEdit::setShowUnit(bool show)
{
    m_showUnit = show;
    m_unit->setVisible(m_showUnit && !m_unit->text().isEmpty());
}

void NumericEdit::setMaximum(double maximum)
{
    if (std::isnan(maximum))
        return;
    m_maximum = std::max(0.0, maximum);
    m_hasLimits = true;
    store(limited(m_value));
    showValue();
}

void NumericEdit::clearLimits() { m_hasLimits = false; }

double NumericEdit::maximum() const
{
    return m_hasLimits ? m_maximum : std::numeric_limits<double>::infinity();
}

double NumericEdit::minimum() const
{
    return m_hasLimits ? 0.0 : -std::numeric_limits<double>::infinity();
}

QString NumericEdit::text() const { return m_edit->text(); }

double NumericEdit::limited(double value) const
{
    return m_hasLimits ? std::clamp(value, 0.0, m_maximum) : value;
}

void NumericEdit::store(double value)
{
    if (value == m_value)
        return;
    m_value = value;
    emit valueChanged(m_value);
}

void NumericEdit::showValue()
{
    // Without group separators: the number reader would take "1,234.5" for 1.2345.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    m_edit->setText(locale.toString(m_value, 'f', m_decimals));
}

void NumericEdit::commit()
{
    // Only typed text is read back: re-reading the shown text would round the value held
    // to the shown decimals whenever the focus merely passed through the box.
    if (!m_edit->isModified())
        return;
    const QString typed = m_edit->text();
    const std::optional<double> number = tryReadNumber(typed);
    if (!number) {
        showValue();
        emit invalidEntry(typed);
        return;
    }
    store(limited(*number));
    showValue();
}
