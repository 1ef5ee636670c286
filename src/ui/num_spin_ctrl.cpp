#include "ui/num_spin_ctrl.h"

#include <QLineEdit>

CZNNumSpinCtrl::CZNNumSpinCtrl(QWidget *parent) : QAbstractSpinBox(parent)
{
    setObjectName(QStringLiteral("CZNNumSpinCtrl"));
    // The text is the value as typed: no correction when the focus leaves.
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    SetRange(m_Model.GetMin(), m_Model.GetMax(), m_Model.GetStep());
}

void CZNNumSpinCtrl::SetRange(double minimum, double maximum, double step)
{
    m_Model.SetRange(minimum, maximum, step, GetValue());
}

void CZNNumSpinCtrl::GetRange(double *minimum, double *maximum, double *step) const
{
    if (minimum)
        *minimum = m_Model.GetMin();
    if (maximum)
        *maximum = m_Model.GetMax();
    if (step)
        *step = m_Model.GetStep();
}

void CZNNumSpinCtrl::SetValue(double value)
{
    lineEdit()->setText(QString::fromStdString(m_Model.FormatValue(value)));
    m_Model.SetPos(value);
}

double CZNNumSpinCtrl::GetValue() const
{
    return CZNNumSpinModel::ParseValue(lineEdit()->text().toStdString());
}

void CZNNumSpinCtrl::stepBy(int steps)
{
    const double value = m_Model.ArrowValue(GetValue(), steps);
    lineEdit()->setText(QString::fromStdString(m_Model.FormatValue(value)));
    m_Model.MovePos(steps);
}
