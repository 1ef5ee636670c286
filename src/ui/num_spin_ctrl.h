#pragma once

// CZNNumSpinCtrl: a spin box whose value is a double with a minimum, maximum, step and number of
// decimals, kept as free text in its line edit (the buddy): a typed value beyond the range stays
// as typed until an arrow applies the rule of CZNNumSpinModel. The arrows, and the Up and Down
// keys, step by the step. The buddy's textChanged fires for text set by code too; pages that
// react to the user only listen to textEdited.
#include <QAbstractSpinBox>

#include "ui/num_spin_model.h"

class QLineEdit;

class CZNNumSpinCtrl : public QAbstractSpinBox
{
    Q_OBJECT

public:
    explicit CZNNumSpinCtrl(QWidget *parent = nullptr);

    // Stores the range and the step; with a step other than 0 the positions follow from the
    // buddy's current value.
    void SetRange(double minimum, double maximum, double step);
    void GetRange(double *minimum, double *maximum, double *step) const;
    // Writes the value's text into the buddy, then sets the position.
    void SetValue(double value);
    // The buddy's text read as a number ("abc" is 0).
    double GetValue() const;
    void SetPrecision(int decimals) { m_Model.SetPrecision(decimals); }
    int GetPrecision() const { return m_Model.GetPrecision(); }
    // A printf format for one double, used instead of the decimals; null clears it.
    void SetFormat(const char *format) { m_Model.SetFormat(format ? format : ""); }
    const CZNNumSpinModel &Model() const { return m_Model; }
    QLineEdit *GetBuddy() const { return lineEdit(); }

    // An arrow of steps: the value moves by steps times the step, stopping at the bound it heads
    // for, and the position moves with it.
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    CZNNumSpinModel m_Model;
};
