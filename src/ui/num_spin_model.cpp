#include "ui/num_spin_model.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

void CZNNumSpinModel::SetRange(double minimum, double maximum, double step, double value)
{
    m_Min = minimum;
    m_Max = maximum;
    m_Step = step;
    if (step == 0.0)
        return;
    const double steps = std::fabs((maximum - minimum) / step);
    // NaN and huge spans end at the cap too.
    m_RangeSteps = steps < static_cast<double>(kMaxRangeSteps) ? static_cast<int>(steps) : kMaxRangeSteps;
    SetPos(value);
}

void CZNNumSpinModel::SetPos(double value)
{
    if (!(m_Max > m_Min))
        return;
    if (value < m_Min)
        m_Pos = 0;
    else if (value < m_Max)
        m_Pos = static_cast<int>((value - m_Min) / (m_Max - m_Min) * m_RangeSteps + 0.5);
    else
        m_Pos = m_RangeSteps;
}

void CZNNumSpinModel::MovePos(int delta)
{
    const long long pos = static_cast<long long>(m_Pos) + delta;
    m_Pos = pos < 0 ? 0 : pos > m_RangeSteps ? m_RangeSteps : static_cast<int>(pos);
}

std::string CZNNumSpinModel::FormatValue(double value) const
{
    char text[512];
    if (!m_Format.empty()) {
        std::snprintf(text, sizeof text, m_Format.c_str(), value);
    } else if (m_Decimals >= 0) {
        char format[32];
        std::snprintf(format, sizeof format, "%%.%df", m_Decimals);
        std::snprintf(text, sizeof text, format, value);
    } else {
        std::snprintf(text, sizeof text, "%g", value);
    }
    return text;
}

double CZNNumSpinModel::ParseValue(const std::string &text)
{
    return std::atof(text.c_str());
}

double CZNNumSpinModel::ArrowValue(double value, int delta) const
{
    value += delta * m_Step;
    if (delta >= 0 && value > m_Max)
        value = m_Max;
    else if (delta < 0 && value < m_Min)
        value = m_Min;
    return value;
}
